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
// piece that is not the last leaves unconverted the character or escape
// that it cuts off (at most one byte); `used` tells where the next piece
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

// Table converters: `table` holds tableLength bytes of cells, read as far as
// it reaches. toGb 0 reads a GB source; otherwise a Big5 (ConvertGbBig5) or
// Shift JIS (ConvertGbSjis) source. Result 0 when every chunk was written
// whole, 1 as soon as one was not (the rest of the buffer is not written).
int ConvertGbBig5(ByteSink target, const uint8_t* table, size_t tableLength, const uint8_t* source, size_t sourceLength,
                  int toGb, SourcePiece* piece = nullptr);
int ConvertGbSjis(ByteSink target, const uint8_t* table, size_t tableLength, const uint8_t* source, size_t sourceLength,
                  int toGb, SourcePiece* piece = nullptr);

// HZ by rule, in each direction; results as above.
int ConvertGbToHz(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece = nullptr);
int ConvertHzToGb(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece = nullptr);
