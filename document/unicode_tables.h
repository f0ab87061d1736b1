// What each character of GB, Big5 and Shift JIS is in Unicode: the decode
// tables that lie beside the program ("GBUNI.TBL", "BIG5UNI.TBL",
// "SJISUNI.TBL"). Each holds 256 cells for single bytes, then one cell for
// every position of the grid of lead bytes 0x81-0xFE and trail bytes
// 0x40-0xFE; a cell is the code point, 0 for no character. A cell with bit 31
// set stands for two code points: the first in its low 16 bits, the second in
// bits 16 to 30.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr size_t GridRows = 126;     // lead bytes 0x81 to 0xFE
constexpr size_t GridColumns = 191;  // trail bytes 0x40 to 0xFE
constexpr size_t GridCells = GridRows * GridColumns;
constexpr size_t DecodeTableCells = 256 + GridCells;

constexpr bool IsGridPosition(uint8_t lead, uint8_t trail) { return lead >= 0x81 && lead <= 0xFE && trail >= 0x40; }
// The grid cell of a lead and trail; both in the grid's ranges.
constexpr size_t GridIndex(uint8_t lead, uint8_t trail) {
  return GridColumns * static_cast<size_t>(lead - 0x81) + static_cast<size_t>(trail - 0x40);
}

constexpr uint32_t TwoCodePoints = 0x80000000u;

// The decode table of `code` (0 to 2), read from beside the program on first
// use and kept; null when the file is missing or not whole.
const uint32_t* CodeDecodeTable(int code);

// The encode tables ("UNIGB.TBL", "UNIBIG5.TBL", "UNISJIS.TBL"): two bytes
// for each code point of the first plane, then for each of U+20000 to
// U+2FFFF: 0 0 for no form, 0 and a byte for a single byte, else a lead and
// its trail; then a bitmap over the same cells of those that stand for
// another form of the character (a simplified, traditional or Japanese one,
// or a mark that looks alike), not the character itself.
constexpr size_t EncodeTableCells = 2 * 0x10000;
constexpr size_t EncodeTableSize = 2 * EncodeTableCells + EncodeTableCells / 8;
constexpr size_t EncodeCellOf(char32_t c) { return c < 0x10000 ? c : 0x10000 + (c - 0x20000); }
constexpr bool HasEncodeCell(char32_t c) { return c < 0x10000 || (c >= 0x20000 && c <= 0x2FFFF); }

// The encode table of `code` (0 to 2), as the decode tables are had.
const uint8_t* CodeEncodeTable(int code);

// The file names of a code's two tables.
const char* DecodeTableName(int code);
const char* EncodeTableName(int code);
constexpr const char* FourByteTableName = "GB4UNI.TBL";

// GB 18030's four-byte sequences of the first plane ("GB4UNI.TBL"): the code
// point of each, by the sequence's number, two bytes each, 0 for none.
constexpr size_t FourByteCells = 39420;
const uint8_t* FourByteTable();

// The Unicode font "ZKUNI16.FON" begins with two bitmaps over the code
// points of the first plane: which have a glyph, and which take two cells.
constexpr size_t UnicodePlaneSize = 0x10000;
constexpr size_t UnicodeFontHeaderSize = 2 * UnicodePlaneSize / 8;
constexpr size_t UnicodeFontSize = UnicodeFontHeaderSize + 32 * UnicodePlaneSize;
constexpr const char* UnicodeFontName = "ZKUNI16.FON";

// The cells a code point takes in a Unicode text: 0 for the zero-width
// no-break space (a byte-order mark), 1 for a character whose glyph is
// narrow, 2 for one whose glyph is wide; a character with no glyph, or past
// the first plane, shows as a mark of two cells. The font's bitmaps are
// read from beside the program on first use; without them a character from
// U+1100 on takes two cells.
int UnicodeCells(char32_t c);

// The font's two bitmaps, read on first use; null without them.
const uint8_t* UnicodeFontBitmaps();

// UnicodeCells with the bitmaps in hand, for a loop over many characters.
constexpr int CellsWithBitmaps(const uint8_t* bitmaps, char32_t c) {
  if (c == 0xFEFF) return 0;
  if (c < 0x20 || c == 0x7F) return 1;
  if (c >= UnicodePlaneSize) return 2;
  if (bitmaps == nullptr) return c >= 0x1100 ? 2 : 1;
  const bool present = ((bitmaps[c >> 3] >> (c & 7)) & 1) != 0;
  const bool wide = ((bitmaps[UnicodePlaneSize / 8 + (c >> 3)] >> (c & 7)) & 1) != 0;
  return present && !wide ? 1 : 2;
}
// Forgets the tables read, so that the next use reads them again (after the
// program's path changes).
void ForgetUnicodeTables();
