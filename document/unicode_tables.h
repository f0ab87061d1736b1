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

// Forgets the tables read, so that the next use reads them again (after the
// program's path changes).
void ForgetUnicodeTables();
