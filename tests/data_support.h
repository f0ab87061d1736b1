// Helpers of the suite that reads the generated data files: where they lie
// and what the open data they were made from says.
#pragma once

#include <cstdint>
#include <string>

#include "tests/test_support.h"

// A file that the build put beside the programs.
std::string DataFile(const std::string& name);

// Unifont's bitmap of code point `c` from `hexFile` ("unifont.hex" or
// "unifont_jp.hex"): 16 bytes for a narrow glyph, 32 for a wide one, empty
// when the file has none.
Bytes UnifontBitmap(const std::string& hexFile, char32_t c);

// A narrow bitmap centred in a 16 x 16 cell, as a font file holds it.
Bytes CentreNarrowBitmap(const Bytes& narrow);

// The character that one or two bytes are in an iconv character set, or 0.
char32_t DecodeWithIconv(const char* charset, uint8_t first, uint8_t second);
