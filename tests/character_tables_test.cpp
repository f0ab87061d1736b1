#include <gtest/gtest.h>

#include <cstdio>

#include "convert/character_tables.h"
#include "shell/font_path.h"
#include "tests/test_support.h"

namespace {
std::string Heading(unsigned lead) {
  char text[32];
  std::snprintf(text, sizeof text, "\n-------  %02x --------\n", lead);
  return text;
}

// The file as it should be, built from the code's lead and trail ranges.
Bytes ExpectedTable(std::initializer_list<std::pair<unsigned, unsigned>> leads,
                    std::initializer_list<std::pair<unsigned, unsigned>> trails) {
  Bytes file;
  for (auto [firstLead, lastLead] : leads) {
    for (unsigned lead = firstLead; lead <= lastLead; ++lead) {
      std::string heading = Heading(lead);
      file.insert(file.end(), heading.begin(), heading.end());
      for (auto [firstTrail, lastTrail] : trails) {
        for (unsigned trail = firstTrail; trail <= lastTrail; ++trail) {
          file.push_back(static_cast<uint8_t>(lead));
          file.push_back(static_cast<uint8_t>(trail));
        }
      }
    }
  }
  return file;
}

Bytes Slice(const Bytes& bytes, size_t from, size_t count) {
  return Bytes(bytes.begin() + static_cast<long>(from), bytes.begin() + static_cast<long>(from + count));
}

Bytes Written(int table) {
  ScratchFolder folder;
  std::string path = folder.File(CharacterTableFileNames[table]);
  EXPECT_EQ(WriteCharacterTableFile(path.c_str(), table), CharacterTableWritten);
  return ReadFile(path);
}
}  // namespace

TEST(CharacterTables, GbListsEveryPairOfA1ToFE) {
  Bytes file = Written(CharacterTableGb);
  ASSERT_EQ(file.size(), 19740u);
  EXPECT_EQ(CharacterTableFileSize(CharacterTableGb), 19740u);
  EXPECT_EQ(Slice(file, 0, 22), ToBytes(Heading(0xA1)));
  EXPECT_EQ(Slice(file, 22, 4), (Bytes{0xA1, 0xA1, 0xA1, 0xA2}));
  EXPECT_EQ(Slice(file, file.size() - 2, 2), (Bytes{0xFE, 0xFE}));
  EXPECT_EQ(file, ExpectedTable({{0xA1, 0xFE}}, {{0xA1, 0xFE}}));
}

TEST(CharacterTables, Big5RowsSkipTrails7FToA0) {
  Bytes file = Written(CharacterTableBig5);
  ASSERT_EQ(file.size(), 31584u);
  EXPECT_EQ(CharacterTableFileSize(CharacterTableBig5), 31584u);
  // Row 0xA4 is the fourth: three rows of 22 + 314 bytes before it.
  size_t row = 3 * (22 + 314);
  EXPECT_EQ(Slice(file, row, 22), ToBytes(Heading(0xA4)));
  EXPECT_EQ(Slice(file, row + 22, 2), (Bytes{0xA4, 0x40}));
  EXPECT_EQ(Slice(file, row + 22 + 2 * 62, 4), (Bytes{0xA4, 0x7E, 0xA4, 0xA1}));
  EXPECT_EQ(file, ExpectedTable({{0xA1, 0xFE}}, {{0x40, 0x7E}, {0xA1, 0xFE}}));
}

TEST(CharacterTables, ShiftJisHasNoRowsA0ToDFAndNoTrail7F) {
  Bytes file = Written(CharacterTableSjis);
  ASSERT_EQ(file.size(), 23880u);
  EXPECT_EQ(CharacterTableFileSize(CharacterTableSjis), 23880u);
  size_t rowE0 = 31 * (22 + 376);
  EXPECT_EQ(Slice(file, rowE0 - 2, 2), (Bytes{0x9F, 0xFC}));
  EXPECT_EQ(Slice(file, rowE0, 22), ToBytes("\n-------  e0 --------\n"));
  EXPECT_EQ(Slice(file, rowE0 + 22 + 2 * 63, 2), (Bytes{0xE0, 0x80}));
  EXPECT_EQ(Slice(file, file.size() - 2, 2), (Bytes{0xFC, 0xFC}));
  EXPECT_EQ(file, ExpectedTable({{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}));
}

TEST(CharacterTables, WritingAgainReplacesTheFile) {
  ScratchFolder folder;
  std::string path = folder.File("GBTBL.GB");
  WriteFile(path, Bytes(50000, 'x'));
  EXPECT_EQ(WriteCharacterTableFile(path.c_str(), CharacterTableGb), CharacterTableWritten);
  EXPECT_EQ(WriteCharacterTableFile(path.c_str(), CharacterTableGb), CharacterTableWritten);
  EXPECT_EQ(ReadFile(path).size(), 19740u);
}

TEST(CharacterTables, TheViewerWritesThemBesideTheProgram) {
  ResetCoreState();
  ScratchFolder folder;
  SetModulePath(folder.File("ZK.EXE").c_str());
  for (int table : {CharacterTableGb, CharacterTableBig5, CharacterTableSjis}) {
    EXPECT_TRUE(MakeCharacterTableFile(nullptr, table));
    EXPECT_EQ(ReadFile(folder.File(CharacterTableFileNames[table])).size(), CharacterTableFileSize(table));
  }
  EXPECT_STREQ(CharacterTableFileNames[CharacterTableGb], "GBTBL.GB");
  EXPECT_STREQ(CharacterTableFileNames[CharacterTableBig5], "BIG5TBL.BG5");
  EXPECT_STREQ(CharacterTableFileNames[CharacterTableSjis], "SJISTBL.JP");
  ResetCoreState();
}

TEST(CharacterTables, FailuresAreToldApart) {
  ScratchFolder folder;
  std::string path = folder.File("missing/GBTBL.GB");
  EXPECT_EQ(WriteCharacterTableFile(path.c_str(), CharacterTableGb), CharacterTableNotCreated);
#ifndef _WIN32
  EXPECT_EQ(WriteCharacterTableFile("/dev/full", CharacterTableBig5), CharacterTableNotWritten);
#endif
}
