#include "document/unicode_tables.h"

#include "base/file_io.h"
#include "base/memory.h"
#include "base/program_path.h"
#include "base/read_whole.h"
#include "document/code_rules.h"

namespace {
constexpr const char* DecodeTableNames[3] = {"GBUNI.TBL", "BIG5UNI.TBL", "SJISUNI.TBL"};

struct LoadedTable {
  Block<uint32_t> cells;
  bool tried = false;
};

LoadedTable DecodeTables[3];

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
  if (!table.tried) {
    table.cells = ReadCells(DecodeTableNames[code], DecodeTableCells);
    table.tried = true;
  }
  return table.cells.get();
}

void ForgetUnicodeTables() {
  for (LoadedTable& table : DecodeTables) table = LoadedTable{};
}
