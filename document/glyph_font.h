// The bitmap font of the current code and the mapping from characters to
// glyphs. A font file has 256 single-byte glyphs of 16 bytes (8 x 16 pixels)
// at offset 0, then double-byte glyphs of 32 bytes (16 x 16) from offset 4096.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/memory.h"
#include "base/prompts.h"

constexpr size_t NarrowGlyphSize = 16;
constexpr size_t WideGlyphSize = 32;
constexpr size_t WideGlyphArea = 4096;

struct GlyphFontRecord {
  Block<uint8_t> bytes;
  size_t size = 0;  // bytes held; glyphs that do not lie wholly inside are blank
  // The glyphs of the characters the code's extension adds (GBK's, the Hong
  // Kong additions to Big5, the Windows additions to Shift JIS), from a file
  // beside the font: a bitmap of the positions it holds over the grid of
  // lead bytes 0x81-0xFE and trail bytes 0x40-0xFE, then a glyph for every
  // position. Null when the file is missing or not whole.
  Block<uint8_t> extension;
};

constexpr size_t ExtensionPresenceSize = 3072;
constexpr size_t ExtensionFontSize = ExtensionPresenceSize + 24066 * 32;

// Font file names by code type; 3 (no code) falls back on the GB font.
extern const char* const FontFileNames[4];

// The path of the font file of code type `code` (GB's for a code outside
// 0..3) beside the program.
bool BuildFontPath(char* dest, size_t destSize, int code);

// The extension font file of each code.
extern const char* const ExtensionFontNames[3];

extern GlyphFontRecord GlyphFont;

// The size of a whole font file of code type `code` (GB's outside the codes).
size_t CompleteFontSize(int code);

// Loads the font file of the current CodeType from beside the program. On
// failure shows its message: after a failed open, or a file that is not of
// its whole size, the previous font stays; after a failed allocation no font
// is left; after a failed read the font holds what was read.
bool LoadCodeFont(WindowRef owner);

// Glyph lookups in the font file: a pointer to the glyph's bytes inside
// GlyphFont, or null for a blank glyph. Every returned pointer has its whole
// glyph behind it.
const uint8_t* SingleByteGlyph(uint8_t c);
const uint8_t* GbGlyph(uint8_t first, uint8_t second);
const uint8_t* Big5Glyph(uint8_t first, uint8_t second);
const uint8_t* SjisGlyph(uint8_t first, uint8_t second);

// The glyph of a character of `code` made of `lead` and `trail`: the
// extension's when it holds the position, else the font file's when its
// layout has the position (blank where the file has no glyph), else the
// mark of the two bytes, drawn into `mark`.
const uint8_t* PairGlyph(int code, uint8_t lead, uint8_t trail, uint8_t mark[32]);

// The glyph of code point c in the Unicode font when it is the one loaded:
// 32 bytes, of which a narrow glyph uses the first 16; null when the font
// has none.
const uint8_t* UnicodeGlyph(char32_t c);

// The offset of glyph number g of the double-byte area (may be negative).
constexpr int64_t WideGlyphOffset(int64_t g) { return static_cast<int64_t>(WideGlyphArea) + 32 * g; }
