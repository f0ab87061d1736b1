// The four converters: GB and Big5, GB and Shift JIS through a conversion
// table, GB and HZ by rule. Each writes to a byte sink through its thread's
// output buffer, in chunks, so that files convert on several threads.
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

extern thread_local ConvertOutputRecord ConvertOutputBuffer;

// How many of the characters a conversion could not carry over are
// recorded with their place.
constexpr int ReportedLosses = 5;

// A character the target has no form for (it became the target's
// replacement), or a byte of the source that is no character. Its place is
// `offset`, in bytes into the text as read (an HZ text decoded into GB);
// its line and column, each from 1, are found afterwards.
struct LossRecord {
  uint64_t offset = 0;
  uint64_t line = 0;
  uint64_t column = 0;  // in characters
  uint8_t bytes[4] = {};
  uint8_t length = 0;
  bool illFormed = false;
};

// What one conversion could not carry over: every such character and byte
// counted, the first few recorded.
struct ConvertReport {
  uint64_t lost = 0;       // characters
  uint64_t illFormed = 0;  // bytes
  uint64_t places = 0;     // the losses, each one place
  LossRecord first[ReportedLosses];
  int recorded = 0;
};

// Counts a character without a form, or the bytes that are no character,
// at `offset`, and records it while there is room.
void RecordLoss(ConvertReport* report, uint64_t offset, const uint8_t* bytes, size_t length, bool illFormed);

// A source converted piece by piece: what one piece hands to the next. A
// piece that is not the last leaves unconverted its last three bytes, where
// a character or escape may run past it; `used` tells where the next piece
// begins. Every converter takes a null piece as one whole source, and counts
// its losses only into a piece's report.
struct SourcePiece {
  bool last = false;
  size_t used = 0;          // set by the converter: the source bytes it took
  bool tableReady = false;  // the table's pair outputs are filled
  bool gbMode = false;      // HZ: the mode the next piece starts in
  uint64_t offset = 0;      // where the piece's text as read starts; moved on by the converter
  ConvertReport* report = nullptr;
};

// Every character of the longest kind (GB 18030's four bytes) is whole in a
// piece when it starts this far before the piece's end.
constexpr size_t LongestCharacter = 4;

// Where the characters of a piece that the converter takes end: a piece that
// is not the last leaves the characters and escapes that may run past it.
size_t PieceLimit(size_t sourceLength, const SourcePiece* piece);

// Which bytes of the 64 at `block` (a character starts at the first, and the
// byte after them may be read) begin a character of `code`, when every lead
// among them has its trail; WholeBlockRefused when one has not.
constexpr uint64_t WholeBlockRefused = 0xFFFFFFFFFFFFFFFFull;
uint64_t FirstBytesOfWholeBlock(int code, const uint8_t* block);

// The full-width question mark of each code, which stands for a character
// the target cannot hold.
constexpr uint8_t GbReplacement[2] = {0xA3, 0xBF};
constexpr uint8_t Big5Replacement[2] = {0xA1, 0x48};
constexpr uint8_t SjisReplacement[2] = {0x81, 0x48};

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
