#include <gtest/gtest.h>

#include <cstdio>

#include "convert/character_tables.h"
#include "shell/font_path.h"
#include "tests/test_support.h"

namespace {
using Ranges = std::vector<std::pair<unsigned, unsigned>>;

// Each lead byte under a heading naming it, followed by every pair it
// starts.
Bytes ExpectedTable(const Ranges& leads, const Ranges& trails) {
  Bytes file;
  for (auto [firstLead, lastLead] : leads) {
    for (unsigned lead = firstLead; lead <= lastLead; ++lead) {
      char heading[32];
      std::snprintf(heading, sizeof heading, "\n-------  %02x --------\n", lead);
      file.insert(file.end(), heading, heading + 22);
      for (auto [firstTrail, lastTrail] : trails) {
        for (unsigned trail = firstTrail; trail <= lastTrail; ++trail)
          file.insert(file.end(), {static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)});
      }
    }
  }
  return file;
}
}  // namespace

TEST(CharacterTables, ListEveryPairOfTheirCodeRowByRowBesideTheProgram) {
  const struct {
    int table;
    size_t size;
    Ranges leads;
    Ranges trails;
  } cases[] = {
      {CharacterTableGb, 19740, {{0xA1, 0xFE}}, {{0xA1, 0xFE}}},
      {CharacterTableBig5, 31584, {{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
      {CharacterTableSjis, 23880, {{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}},
  };
  ScratchFolder folder;
  SetModulePath(folder.File("ZK.EXE").c_str());
  for (const auto& c : cases) {
    // Written again over a longer file, which it replaces.
    std::string path = folder.File(CharacterTableFileNames[c.table]);
    WriteFile(path, Bytes(50000, 'x'));
    EXPECT_EQ(MakeCharacterTableFile(c.table), CharacterTableWritten);
    Bytes file = ReadFile(path);
    EXPECT_EQ(file.size(), c.size);
    EXPECT_EQ(CharacterTableFileSize(c.table), c.size);
    EXPECT_EQ(file, ExpectedTable(c.leads, c.trails));
  }
}

TEST(CharacterTables, FailuresAreToldApart) {
  ScratchFolder folder;
  EXPECT_EQ(WriteCharacterTableFile(folder.File("missing/GBTBL.GB").c_str(), CharacterTableGb),
            CharacterTableNotCreated);
  // Beside a program whose folder is missing.
  SetModulePath(folder.File("missing/ZK.EXE").c_str());
  EXPECT_EQ(MakeCharacterTableFile(CharacterTableSjis), CharacterTableNotCreated);
#ifndef _WIN32
  EXPECT_EQ(WriteCharacterTableFile("/dev/full", CharacterTableBig5), CharacterTableNotWritten);
#endif
}
