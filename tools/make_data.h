// Making the font files, the conversion tables and the Unicode tables.
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
// The grid of the extended codes: every lead byte 0x81 to 0xFE with every
// trail byte 0x40 to 0xFE (0x7F included, so that a position's index is
// plain arithmetic). Extension fonts and tables hold a cell for each.
CodeLayout GridLayout();
constexpr size_t GridPositions = 126 * 191;

// A Big5-HKSCS position that stands for two code points (a letter and a
// combining mark) holds ComposedMark | second << 16 | first.
constexpr char32_t ComposedMark = 0x80000000;
constexpr bool IsComposed(char32_t c) { return (c & ComposedMark) != 0; }

// What every byte and pair of bytes of a code stands for, read once from
// iconv: the base chart that the base files follow, or the extended one
// (GBK, Big5-HKSCS, CP932) over the grid.
struct CodeChart {
  int code = DataGb;
  bool extended = false;
  std::vector<char32_t> pairs = std::vector<char32_t>(0x10000);  // lead * 256 + trail; 0: no character
  char32_t singles[256] = {};
  // Where each double-byte character lies: in a base chart the first
  // position in font order, only positions that the font draws; in an
  // extended chart the base chart's position where it holds the character
  // too, else the one iconv writes.
  std::unordered_map<char32_t, uint16_t> positions;
  // Big5 positions read from the other chart: BIG5-HKSCS for the base
  // chart's user-defined rows, BIG5 where BIG5-HKSCS lacks a character.
  int borrowed = 0;
};

// Reads the chart of `code` from iconv; false with `error` set when iconv
// lacks a character set.
bool BuildCodeChart(int code, CodeChart& chart, std::string& error);
// The same for the extended chart of `code`, whose base chart is `base`.
bool BuildExtendedChart(int code, const CodeChart& base, CodeChart& chart, std::string& error);
// iconv's name of the extended chart of `code`.
const char* ExtendedCharsetName(int code);

// The source positions of a table from `chart`, in cell order.
CodeLayout SourceLayout(const CodeChart& chart);

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
  std::vector<uint16_t> missing;  // positions (lead * 256 + trail) of visible characters left blank
  int singleGlyphs = 0;           // single-byte glyphs from Unifont
  int marks = 0;                  // single bytes that are no character: a mark
};

// The whole font file of `code`. `glyphs` are Unifont's (for Shift JIS the
// Japanese forms laid over them).
Bytes BuildFont(int code, const CodeChart& chart, const UnifontGlyphs& glyphs, FontCoverage& coverage);

// An extension font: a presence bitmap over the grid (bit k for grid
// position k), then a glyph of 32 bytes for every grid position. A position
// is present when the extended chart has a character there that the base
// font does not draw, and it has a glyph.
constexpr size_t ExtensionPresenceBytes = 3072;
Bytes BuildExtensionFont(const CodeChart& base, const CodeChart& extended, const UnifontGlyphs& glyphs,
                         FontCoverage& coverage);

// The Unicode font of the first plane: a presence bitmap, a bitmap of the
// characters two cells wide, then a slot of 32 bytes for each code point (a
// narrow glyph in its first 16). Wide are Unifont's wide glyphs and every
// double-byte character of the base charts, drawn as their fonts draw it.
constexpr size_t UnicodeWideBitmapAt = 8192, UnicodeGlyphsAt = 16384;
struct UnicodeFontCoverage {
  int glyphs = 0;        // characters with a glyph
  int wide = 0;          // of them, two cells wide
  FontCoverage widened;  // how narrow Unifont glyphs were drawn wide
};
Bytes BuildUnicodeFont(const CodeChart baseCharts[3], const UnifontGlyphs& glyphs, UnicodeFontCoverage& coverage);

// Counts the double-byte characters of `base` whose glyph in `baseFont` is
// the same as in the Unicode font, and those whose glyph differs.
void CompareWithUnicodeFont(const Bytes& baseFont, const CodeChart& base, const Bytes& unicodeFont, int& equal,
                            int& differing);

// True for characters that are drawn as empty space.
bool IsBlankCharacter(char32_t c);

struct Dictionaries {
  Dictionary stCharacters, tsCharacters, twVariants, twVariantsRev, jpVariants, jpVariantsRev, jpShinjitai;
};

// RouteBase: an extension table's cell that keeps what the base table gives.
enum MapRoutes { RouteDirect, RouteDictionary, RouteReverse, RouteSimilar, RouteBase, RouteReplaced, RouteCount };

struct TableCoverage {
  int cells = 0;
  int decoded = 0;  // cells whose source position is a character
  int byRoute[RouteCount] = {};
  std::vector<char32_t> replaced;  // characters with no counterpart
};

struct ConversionTable {
  int from = DataGb;
  int to = DataBig5;
  CodeLayout layout;            // the source positions, in cell order
  Bytes cells;                  // two bytes a cell
  std::vector<uint8_t> routes;  // how each cell was found (MapRoutes); RouteReplaced for no character
};

// The table from `from` to `to` (one side is GB), between the base charts
// or between the extended ones, as `charts` are. A character that no
// dictionary route reaches may still be found in `reverse`, the table of the
// other direction, when some character there maps to it. An extension
// table keeps the character that `base`, the base table of the same
// direction, gives, unless it has the source character itself where the
// base table had only a look-alike.
ConversionTable BuildTable(int from, int to, const CodeChart charts[3], const Dictionaries& dictionaries,
                           const ConversionTable* reverse, const ConversionTable* base, TableCoverage& coverage);

// What may stand for `c` in `code` when the code lacks it, best first: its
// other forms that the dictionaries give towards the code's own (simplified
// for GB, traditional as Taiwan writes it for Big5, Japanese for Shift JIS),
// then look-alike punctuation.
std::vector<char32_t> FormsFor(int code, const Dictionaries& dictionaries, char32_t c);

// The full-width question mark of `code`, which stands for a character the
// target code cannot express.
void ReplacementOf(const CodeChart& chart, uint8_t out[2]);

// The index of a source character's cell, or false when the position lies
// outside the table.
bool CellIndex(const ConversionTable& table, uint8_t lead, uint8_t trail, size_t& index);
// The two bytes a table gives for a source character, or false when the
// position lies outside the table.
bool LookUpCell(const ConversionTable& table, uint8_t lead, uint8_t trail, uint8_t out[2]);

// True for the CJK ideographs of the first plane (the unified blocks and the
// compatibility block).
bool IsIdeograph(char32_t c);

// The Unicode decode table of an extended chart: a uint32 for every single
// byte, then one for every grid position (0: no character; see ComposedMark).
Bytes BuildDecodeTable(const CodeChart& extended);

// The Unicode encode table of an extended chart: two bytes for each code
// point of U+0000 to U+FFFF and U+20000 to U+2FFFF (0 0: none; 0 b: the
// single byte b; else lead and trail), then a bitmap of the cells that hold
// a substitute, another form of the character, because the code lacks it.
constexpr size_t EncodeCells = 0x20000;
struct EncodeCoverage {
  int direct = 0, substitute = 0;
  int ideographs = 0, ideographsDirect = 0, ideographsSubstitute = 0;  // CJK blocks of the first plane
  int secondPlaneDirect = 0, secondPlaneSubstitute = 0;
};
bool BuildEncodeTable(const CodeChart& extended, const Dictionaries& dictionaries, Bytes& table,
                      EncodeCoverage& coverage, std::string& error);

// GB18030's four-byte codes of the first plane: a uint16 code point (0: none)
// for each linear index of 0x81308130 to 0x8431A439.
constexpr size_t Gb18030FirstPlaneCodes = 39420;
bool BuildGb18030Table(Bytes& table, int& mapped, std::string& error);
