#include "document/unicode_tables.h"

#include "document/code_rules.h"
#include "shell/file_io.h"
#include "shell/font_path.h"
#include "shell/memory.h"
#include "shell/read_whole.h"

namespace {
constexpr const char* DecodeTableNames[3] = {"GBUNI.TBL", "BIG5UNI.TBL", "SJISUNI.TBL"};

struct LoadedTable {
  Block<uint32_t> cells;
  bool tried = false;
};

LoadedTable DecodeTables[3];

struct LoadedBytes {
  Block<uint8_t> bytes;
  bool tried = false;
};

LoadedBytes UnicodeFontHeader;
LoadedBytes EncodeTables[3];
LoadedBytes FourBytes;
constexpr const char* EncodeTableNames[3] = {"UNIGB.TBL", "UNIBIG5.TBL", "UNISJIS.TBL"};

// A table read whole on first use and kept.
const uint8_t* Loaded(LoadedBytes& table, const char* name, size_t size);

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
  if (!table.tried) {
    table.cells = ReadCells(DecodeTableNames[code], DecodeTableCells);
    table.tried = true;
  }
  return table.cells.get();
}

const uint8_t* UnicodeFontBitmaps() {
  if (!UnicodeFontHeader.tried) {
    UnicodeFontHeader.bytes = ReadHead(UnicodeFontName, UnicodeFontSize, UnicodeFontHeaderSize);
    UnicodeFontHeader.tried = true;
  }
  return UnicodeFontHeader.bytes.get();
}

namespace {
const uint8_t* Loaded(LoadedBytes& table, const char* name, size_t size) {
  if (!table.tried) {
    table.bytes = ReadHead(name, size, size);
    table.tried = true;
  }
  return table.bytes.get();
}
}  // namespace

const uint8_t* CodeEncodeTable(int code) {
  if (code < CodeGb || code > CodeShiftJis) return nullptr;
  return Loaded(EncodeTables[code], EncodeTableNames[code], EncodeTableSize);
}

const uint8_t* FourByteTable() { return Loaded(FourBytes, "GB4UNI.TBL", 2 * FourByteCells); }

int UnicodeCells(char32_t c) { return CellsWithBitmaps(UnicodeFontBitmaps(), c); }

void ForgetUnicodeTables() {
  for (LoadedTable& table : DecodeTables) table = LoadedTable{};
  UnicodeFontHeader = LoadedBytes{};
  for (LoadedBytes& table : EncodeTables) table = LoadedBytes{};
  FourBytes = LoadedBytes{};
}
