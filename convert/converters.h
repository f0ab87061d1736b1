// The four converters: GB and Big5, GB and Shift JIS through a conversion
// table, GB and HZ by rule. Each writes to a byte sink through the one
// process-wide output buffer, in chunks.
#pragma once

#include <cstddef>
#include <cstdint>

enum ConvertModes { ConvertModeBig5 = 0, ConvertModeSjis = 1, ConvertModeHz = 2 };

// The pair of codes being converted, one of ConvertModes; set by the convert
// commands before a conversion.
extern int ConvertMode;

// Writes `count` bytes; returns how many were written.
using WriteChunkFunction = size_t (*)(void* handle, const uint8_t* bytes, size_t count);

struct ByteSink {
  WriteChunkFunction write;
  void* handle;
};

// No single step adds more than 4 bytes, so a buffer emptied whenever it
// holds ConvertChunkThreshold bytes or more never holds more than 2041.
constexpr size_t ConvertBufferSize = 2048;
constexpr size_t ConvertChunkThreshold = 2038;

struct ConvertOutputRecord {
  uint8_t bytes[ConvertBufferSize];
  size_t count;
};

extern ConvertOutputRecord ConvertOutputBuffer;

// A source converted piece by piece: what one piece hands to the next. A
// piece that is not the last leaves unconverted its last three bytes, where
// a character or escape may run past it; `used` tells where the next piece
// begins. Every converter takes a null piece as one whole source.
struct SourcePiece {
  bool last = false;
  size_t used = 0;          // set by the converter: the source bytes it took
  bool tableReady = false;  // the table's pair outputs are filled
  bool gbMode = false;      // HZ: the mode the next piece starts in
};

// Cells in a whole table file of each kind (2 bytes each).
constexpr size_t GbTableCells = 94 * 94;     // "GBBIG5.TBL", "GBSJIS.TBL"
constexpr size_t Big5TableCells = 94 * 157;  // "BIG5GB.TBL"
constexpr size_t SjisTableCells = 43 * 189;  // "SJISGB.TBL"

// The table file that `mode` and `toGb` convert through, and the size of a
// whole one in bytes; null and 0 for HZ.
const char* ConvertTableName(int mode, int toGb);
size_t ConvertTableSize(int mode, int toGb);

// The extension table beside it: a cell over the source's grid (lead bytes
// 0x81-0xFE, trail bytes 0x40-0xFE) for every character of the source code's
// extension, 0 0 where the position is no character; null and 0 for HZ.
const char* ConvertExtensionName(int mode, int toGb);
size_t ConvertExtensionSize(int mode, int toGb);

// What a table conversion reads. The table file's cells; the extension's,
// which serve where the table file has no cell or gives the replacement
// (none: those characters pass as they stand); and the target code's
// replacement, its full-width question mark.
struct ConvertTables {
  const uint8_t* table = nullptr;
  size_t length = 0;
  const uint8_t* extension = nullptr;
  size_t extensionLength = 0;
  uint8_t replacement[2] = {};
};

// The replacement of the target of `mode` and `toGb`.
void FillReplacement(int mode, int toGb, ConvertTables* tables);

// Table converters, read as far as the tables reach. toGb 0 reads a GB
// source; otherwise a Big5 (ConvertGbBig5) or Shift JIS (ConvertGbSjis)
// source. Bytes pair by the source code's rule: a byte that is no character
// passes unchanged, GB 18030's four bytes become the replacement. Result 0
// when every chunk was written whole, 1 as soon as one was not (the rest of
// the buffer is not written).
int ConvertGbBig5(ByteSink target, const ConvertTables& tables, const uint8_t* source, size_t sourceLength, int toGb,
                  SourcePiece* piece = nullptr);
int ConvertGbSjis(ByteSink target, const ConvertTables& tables, const uint8_t* source, size_t sourceLength, int toGb,
                  SourcePiece* piece = nullptr);

// HZ by rule, in each direction; results as above. HZ carries GB 2312
// only: any other character of a GB source becomes the replacement. HZ is
// read as the viewer reads it.
int ConvertGbToHz(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece = nullptr);
int ConvertHzToGb(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece = nullptr);
