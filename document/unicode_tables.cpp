#include "document/unicode_tables.h"

#include <atomic>
#include <mutex>
#include "base/file_io.h"
#include "base/memory.h"
#include "base/program_path.h"
#include "base/read_whole.h"
#include "document/code_rules.h"

namespace {
constexpr const char* DecodeTableNames[3] = {"GBUNI.TBL", "BIG5UNI.TBL", "SJISUNI.TBL"};

// Files convert on several threads, each of which may be the first to use
// a table: the first reads it under the lock, the others see it tried.
std::mutex LoadLock;

struct LoadedTable {
  Block<uint32_t> cells;
  std::atomic<bool> tried = false;
};

LoadedTable DecodeTables[3];

struct LoadedBytes {
  Block<uint8_t> bytes;
  std::atomic<bool> tried = false;
};

LoadedBytes UnicodeFontHeader;
LoadedBytes EncodeTables[3];
LoadedBytes FourBytes;
constexpr const char* EncodeTableNames[3] = {"UNIGB.TBL", "UNIBIG5.TBL", "UNISJIS.TBL"};

// The first `count` bytes of a file beside the program that holds `size`;
// null when it is missing or of another size.
Block<uint8_t> ReadHead(const char* name, uint64_t size, size_t count) {
  char path[PathCapacity];
  if (!BuildPathBesideProgram(path, sizeof path, name)) return nullptr;
  FileHandle file = OpenForReading(path);
  uint64_t measured = 0;
  if (!file || !MeasureFile(file.get(), &measured) || measured != size) return nullptr;
  Block<uint8_t> bytes = AllocateZeroed<uint8_t>(count);
  if (!bytes || ReadWhole(file.get(), bytes.get(), count) != count) return nullptr;
  return bytes;
}

// A table of `count` little-endian 32-bit cells; null unless the file holds
// exactly that many.
Block<uint32_t> ReadCells(const char* name, size_t count) {
  char path[PathCapacity];
  if (!BuildPathBesideProgram(path, sizeof path, name)) return nullptr;
  FileHandle file = OpenForReading(path);
  uint64_t size = 0;
  if (!file || !MeasureFile(file.get(), &size) || size != 4 * static_cast<uint64_t>(count)) return nullptr;
  Block<uint8_t> bytes = AllocateZeroed<uint8_t>(4 * count);
  Block<uint32_t> cells = AllocateZeroed<uint32_t>(count);
  if (!bytes || !cells || ReadWhole(file.get(), bytes.get(), 4 * count) != 4 * count) return nullptr;
  for (size_t k = 0; k < count; ++k) {
    const uint8_t* at = bytes.get() + 4 * k;
    cells[k] = static_cast<uint32_t>(at[0]) | static_cast<uint32_t>(at[1]) << 8 | static_cast<uint32_t>(at[2]) << 16 |
               static_cast<uint32_t>(at[3]) << 24;
  }
  return cells;
}
}  // namespace

const uint32_t* CodeDecodeTable(int code) {
  if (code < CodeGb || code > CodeShiftJis) return nullptr;
  LoadedTable& table = DecodeTables[code];
  if (!table.tried.load(std::memory_order_acquire)) {
    const std::lock_guard<std::mutex> hold(LoadLock);
    if (!table.tried.load(std::memory_order_relaxed)) {
      table.cells = ReadCells(DecodeTableNames[code], DecodeTableCells);
      table.tried.store(true, std::memory_order_release);
    }
  }
  return table.cells.get();
}

namespace {
// The first `count` bytes of the file, read whole on first use and kept.
const uint8_t* Loaded(LoadedBytes& table, const char* name, size_t size, size_t count) {
  if (!table.tried.load(std::memory_order_acquire)) {
    const std::lock_guard<std::mutex> hold(LoadLock);
    if (!table.tried.load(std::memory_order_relaxed)) {
      table.bytes = ReadHead(name, size, count);
      table.tried.store(true, std::memory_order_release);
    }
  }
  return table.bytes.get();
}
}  // namespace

const uint8_t* UnicodeFontBitmaps() {
  return Loaded(UnicodeFontHeader, UnicodeFontName, UnicodeFontSize, UnicodeFontHeaderSize);
}

const uint8_t* CodeEncodeTable(int code) {
  if (code < CodeGb || code > CodeShiftJis) return nullptr;
  return Loaded(EncodeTables[code], EncodeTableNames[code], EncodeTableSize, EncodeTableSize);
}

const char* DecodeTableName(int code) { return code >= CodeGb && code <= CodeShiftJis ? DecodeTableNames[code] : ""; }

const char* EncodeTableName(int code) { return code >= CodeGb && code <= CodeShiftJis ? EncodeTableNames[code] : ""; }

const uint8_t* FourByteTable() { return Loaded(FourBytes, FourByteTableName, 2 * FourByteCells, 2 * FourByteCells); }

int UnicodeCells(char32_t c) { return CellsWithBitmaps(UnicodeFontBitmaps(), c); }

void ForgetUnicodeTables() {
  const std::lock_guard<std::mutex> hold(LoadLock);
  for (LoadedTable& table : DecodeTables) {
    table.cells.reset();
    table.tried = false;
  }
  for (LoadedBytes* table : {&UnicodeFontHeader, &EncodeTables[0], &EncodeTables[1], &EncodeTables[2], &FourBytes}) {
    table->bytes.reset();
    table->tried = false;
  }
}
