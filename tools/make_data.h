// Making the three font files and the four conversion table files.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "tools/data_sources.h"

using Bytes = std::vector<uint8_t>;

enum DataCodes { DataGb, DataBig5, DataSjis };

// The byte positions of a double-byte code: every lead byte with every trail
// byte, lead-major, in the order of a font or table file.
struct CodeLayout {
  std::vector<uint8_t> leads;
  std::vector<uint8_t> trails;
};

// The double-byte positions a font file holds glyphs for, in glyph order.
CodeLayout FontLayout(int code);
// The source positions of a conversion table, in cell order.
CodeLayout TableLayout(int code);

// What every byte and pair of bytes of a code stands for, read once from
// iconv.
struct CodeChart {
  std::vector<char32_t> pairs = std::vector<char32_t>(0x10000);  // lead * 256 + trail; 0: no character
  char32_t singles[256] = {};
  // Where each character lies, the first position in font order; only
  // positions that the font draws.
  std::unordered_map<char32_t, uint16_t> positions;
  int borrowed = 0;  // Big5 positions read from BIG5-HKSCS (see BuildCodeChart)
};

// Reads the chart of `code` from iconv; false with `error` set when iconv
// lacks a character set.
bool BuildCodeChart(int code, CodeChart& chart, std::string& error);

char32_t CharacterAt(const CodeChart& chart, uint8_t lead, uint8_t trail);

// The two bytes of `c` in the chart's code, when the code has it.
bool EncodeCharacter(const CodeChart& chart, char32_t c, uint8_t out[2]);

// What one font file holds.
struct FontCoverage {
  int positions = 0;              // double-byte glyph slots
  int decoded = 0;                // slots that decode to a character
  int blankCharacters = 0;        // of those, spaces, which are drawn blank
  int drawn = 0;                  // of the others, those with a non-blank glyph
  int centred = 0;                // narrow Unifont glyphs centred in a wide cell
  int joined = 0;                 // narrow box drawing, centred with its lines carried to the edges
  int stretched = 0;              // narrow blocks and shades, drawn twice as wide
  std::vector<char32_t> missing;  // visible characters left blank
  int singleGlyphs = 0;           // single-byte glyphs from Unifont
  int marks = 0;                  // single bytes that are no character: a mark
};

// The whole font file of `code`. `glyphs` are Unifont's (for Shift JIS the
// Japanese forms laid over them).
Bytes BuildFont(int code, const CodeChart& chart, const UnifontGlyphs& glyphs, FontCoverage& coverage);

// True for characters that are drawn as empty space.
bool IsBlankCharacter(char32_t c);

struct Dictionaries {
  Dictionary stCharacters, tsCharacters, twVariants, twVariantsRev, jpVariants, jpVariantsRev, jpShinjitai;
};

enum MapRoutes { RouteDirect, RouteDictionary, RouteReverse, RouteSimilar, RouteReplaced, RouteCount };

struct TableCoverage {
  int cells = 0;
  int decoded = 0;  // cells whose source position is a character
  int byRoute[RouteCount] = {};
  std::vector<char32_t> replaced;  // characters with no counterpart
};

struct ConversionTable {
  int from = DataGb;
  int to = DataBig5;
  Bytes cells;  // two bytes a cell, in the order of TableLayout(from)
};

// The table from `from` to `to` (one side is GB). A character that no
// dictionary route reaches may still be found in `reverse`, the table of the
// other direction, when some character there maps to it.
ConversionTable BuildTable(int from, int to, const CodeChart charts[3], const Dictionaries& dictionaries,
                           const ConversionTable* reverse, TableCoverage& coverage);

// The full-width question mark of `code`, which stands for a character the
// target code cannot express.
void ReplacementOf(const CodeChart& chart, uint8_t out[2]);

// The two bytes a table gives for a source character, or false when the
// position lies outside the table.
bool LookUpCell(const ConversionTable& table, uint8_t lead, uint8_t trail, uint8_t out[2]);
