// The open data the font and table files are made from: GNU Unifont's hex
// glyphs, OpenCC's character dictionaries (as opencc_dict text) and the
// character sets of the C library's iconv.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include <iconv.h>

// One Unifont glyph: 8 pixels wide (rows[0..15], one byte a row) or 16 wide
// (rows[0..31], two bytes a row, left byte first); width 0 means no glyph.
struct UnifontGlyph {
  uint8_t width = 0;
  uint8_t rows[32] = {};
};

// Glyphs of the Basic Multilingual Plane, indexed by code point.
using UnifontGlyphs = std::vector<UnifontGlyph>;
constexpr size_t UnifontPlaneSize = 0x10000;

// Reads a hex file ("XXXX:hexdigits" lines) into `glyphs`, replacing the
// glyphs it has. False with `error` set when the file cannot be read or a
// line is malformed.
bool LoadUnifont(const std::string& path, UnifontGlyphs& glyphs, std::string& error);

// A character dictionary: a character and its candidates, best first.
using Dictionary = std::unordered_map<char32_t, std::vector<char32_t>>;

// Reads opencc_dict's text form ("key<TAB>value value ..." in UTF-8). Entries
// whose key is more than one character are phrases and are skipped.
bool LoadDictionary(const std::string& path, Dictionary& dictionary, std::string& error);

// The candidates of `c` in `dictionary`, or none.
const std::vector<char32_t>& LookUp(const Dictionary& dictionary, char32_t c);

// An iconv character set, read into Unicode and written from it.
struct Charset {
  iconv_t toUnicode = reinterpret_cast<iconv_t>(-1);
  iconv_t fromUnicode = reinterpret_cast<iconv_t>(-1);
};

bool OpenCharset(const char* name, Charset& charset);
void CloseCharset(Charset& charset);

// The character that `count` bytes (1 to 4) decode to, or 0 when they are no
// single character of the set.
char32_t DecodeBytes(Charset& charset, const uint8_t* bytes, size_t count);

// The characters that `count` bytes decode to, at most `capacity`: how many,
// or 0 when the bytes are no character or decode to more.
size_t DecodeCharacters(Charset& charset, const uint8_t* bytes, size_t count, char32_t* out, size_t capacity);

// The bytes (at most 4) that iconv writes for `c`: how many, 0 when the set
// lacks it.
size_t EncodeBytes(Charset& charset, char32_t c, uint8_t out[4]);

// UTF-8 of one character, for the report.
std::string Utf8(char32_t c);
