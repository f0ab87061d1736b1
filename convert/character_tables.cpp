#include "convert/character_tables.h"

#include <cstdint>

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/program_path.h"

const char* const CharacterTableFileNames[3] = {"GBTBL.GB", "BIG5TBL.BG5", "SJISTBL.JP"};

namespace {
struct ByteRange {
  uint8_t first;
  uint8_t last;
};

struct TableLayout {
  ByteRange leads[2];
  ByteRange trails[2];
};

// Unused second ranges are empty (first above last).
constexpr TableLayout Layouts[3] = {
    {{{0xA1, 0xFE}, {1, 0}}, {{0xA1, 0xFE}, {1, 0}}},
    {{{0xA1, 0xFE}, {1, 0}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
    {{{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}},
};

constexpr size_t HeadingLength = 22;
// The longest row: a heading and 189 two-byte characters.
constexpr size_t RowCapacity = HeadingLength + 2 * 189;

// "\n-------  %2x --------\n" with the lead byte in lower-case hexadecimal.
size_t PutHeading(uint8_t* row, unsigned lead) {
  const char* const digits = "0123456789abcdef";
  size_t n = 0;
  row[n++] = '\n';
  for (int k = 0; k < 7; ++k) row[n++] = '-';
  row[n++] = ' ';
  row[n++] = ' ';
  row[n++] = static_cast<uint8_t>(digits[(lead >> 4) & 0xF]);
  row[n++] = static_cast<uint8_t>(digits[lead & 0xF]);
  row[n++] = ' ';
  for (int k = 0; k < 8; ++k) row[n++] = '-';
  row[n++] = '\n';
  return n;
}
}  // namespace

int WriteCharacterTableFile(const char* path, int table) {
  if (table < 0 || table > 2) return CharacterTableNotCreated;
  ReplacementRecord file;
  if (!StartReplacement(path, &file)) return CharacterTableNotCreated;
  const TableLayout& layout = Layouts[table];
  bool written = true;
  uint8_t row[RowCapacity];
  for (ByteRange leads : layout.leads) {
    for (unsigned lead = leads.first; lead <= leads.last; ++lead) {
      size_t n = PutHeading(row, lead);
      for (ByteRange trails : layout.trails) {
        for (unsigned trail = trails.first; trail <= trails.last; ++trail) {
          row[n++] = static_cast<uint8_t>(lead);
          row[n++] = static_cast<uint8_t>(trail);
        }
      }
      written = written && WriteReplacement(&file, row, n);
    }
  }
  if (!written) {
    AbandonReplacement(&file);
    return CharacterTableNotWritten;
  }
  return FinishReplacement(&file) ? CharacterTableWritten : CharacterTableNotWritten;
}

bool MakeCharacterTableFile(WindowRef owner, int table) {
  if (table < 0 || table > 2) return false;
  char path[PathCapacity];
  bool named = BuildPathBesideProgram(path, sizeof path, CharacterTableFileNames[table]);
  int result = named ? WriteCharacterTableFile(path, table) : CharacterTableNotCreated;
  // A program folder that an ordinary user cannot write would otherwise
  // leave them with no file and no word; one whose path leaves no room for
  // the name is told by the name alone.
  const char* shown = named ? path : CharacterTableFileNames[table];
  if (result == CharacterTableNotCreated) ShowErrorBox(owner, ErrorCreateFile, shown, StyleStop);
  if (result == CharacterTableNotWritten) ShowErrorBox(owner, ErrorWriteFile, shown, StyleStop);
  return result == CharacterTableWritten;
}
