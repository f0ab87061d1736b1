// The conversion tables the build made, read cell by cell with the layout
// the converters use.
#include <gtest/gtest.h>

#include <string>

#include "tests/data_support.h"

namespace {
using Pair = std::pair<int, int>;

struct Table {
  Bytes cells;
  const char* sourceCharset;
  const char* targetCharset;
};

Table LoadTable(const char* name, const char* sourceCharset, const char* targetCharset) {
  return Table{ReadFile(DataFile(name)), sourceCharset, targetCharset};
}

long GbIndex(int lead, int trail) { return 94L * (lead - 0xA1) + (trail - 0xA1); }
long Big5Index(int lead, int trail) { return 157L * (lead - 0xA1) + (trail <= 0x7E ? trail - 0x40 : trail - 0x62); }
long SjisIndex(int lead, int trail) { return 189L * (lead < 0xA0 ? lead - 0x81 : lead - 0xC1) + (trail - 0x40); }

// The cell of a source character; (-1, -1) when it lies outside the file.
Pair Cell(const Table& table, long index) {
  if (index < 0 || static_cast<size_t>(2 * index + 1) >= table.cells.size()) return {-1, -1};
  return {table.cells[2 * index], table.cells[2 * index + 1]};
}

Pair GbToBig5(int lead, int trail) { return Cell(LoadTable("GBBIG5.TBL", "GB2312", "BIG5"), GbIndex(lead, trail)); }
Pair Big5ToGb(int lead, int trail) { return Cell(LoadTable("BIG5GB.TBL", "BIG5", "GB2312"), Big5Index(lead, trail)); }
Pair GbToSjis(int lead, int trail) { return Cell(LoadTable("GBSJIS.TBL", "GB2312", "CP932"), GbIndex(lead, trail)); }
Pair SjisToGb(int lead, int trail) { return Cell(LoadTable("SJISGB.TBL", "CP932", "GB2312"), SjisIndex(lead, trail)); }

const Pair GbQuestion{0xA3, 0xBF}, Big5Question{0xA1, 0x48}, SjisQuestion{0x81, 0x48};

// Cells that hold two zero bytes.
int ZeroCells(const Bytes& cells) {
  int zeros = 0;
  for (size_t k = 0; k + 1 < cells.size(); k += 2) zeros += cells[k] == 0 && cells[k + 1] == 0 ? 1 : 0;
  return zeros;
}
}  // namespace

TEST(BuiltTables, HaveTheirExactSizesAndNoEmptyCells) {
  const std::pair<const char*, size_t> files[] = {
      {"GBBIG5.TBL", 17672}, {"BIG5GB.TBL", 29516}, {"GBSJIS.TBL", 17672}, {"SJISGB.TBL", 16254}};
  for (const auto& file : files) {
    Bytes cells = ReadFile(DataFile(file.first));
    EXPECT_EQ(cells.size(), file.second) << file.first;
    EXPECT_EQ(ZeroCells(cells), 0) << file.first;
  }
}

TEST(BuiltTables, SimplifiedAndTraditionalMapBothWays) {
  EXPECT_EQ(GbToBig5(0xB9, 0xFA), Pair(0xB0, 0xEA));  // 国 to 國
  EXPECT_EQ(Big5ToGb(0xB0, 0xEA), Pair(0xB9, 0xFA));  // and back
  EXPECT_EQ(GbToBig5(0xC6, 0xF4), Pair(0xB1, 0xD2));  // 启 to 啟, Taiwan's form, not the dictionary's 啓
  EXPECT_EQ(GbToBig5(0xBA, 0xF3), Pair(0xAB, 0xE1));  // 后 to 後, the dictionary's first choice
  EXPECT_EQ(GbToBig5(0xB0, 0xA1), Pair(0xB0, 0xDA));  // 啊 is the same in both
  EXPECT_EQ(Big5ToGb(0xB8, 0xCC), Pair(0xC0, 0xEF));  // 裡 to 里, through the Taiwan variants
  EXPECT_EQ(Big5ToGb(0xA4, 0x40), Pair(0xD2, 0xBB));  // 一
}

TEST(BuiltTables, JapaneseGoesThroughUnicodeAndTheVariants) {
  EXPECT_EQ(GbToSjis(0xB9, 0xFA), Pair(0x8D, 0x91));  // 国 is the same character
  EXPECT_EQ(GbToSjis(0xB7, 0xA2), Pair(0x94, 0xAD));  // 发 to 発, the Japanese form of 發
  EXPECT_EQ(SjisToGb(0x94, 0xAD), Pair(0xB7, 0xA2));  // 発 back to 发
  EXPECT_EQ(SjisToGb(0x8D, 0x91), Pair(0xB9, 0xFA));
  EXPECT_EQ(SjisToGb(0x88, 0x9F), Pair(0xD1, 0xC7));  // 亜 to 亚
}

TEST(BuiltTables, SymbolsKanaGreekAndCyrillicMapByUnicode) {
  EXPECT_EQ(GbToBig5(0xA3, 0xAC), Pair(0xA1, 0x41));  // ，
  EXPECT_EQ(GbToBig5(0xA1, 0xA3), Pair(0xA1, 0x43));  // 。
  EXPECT_EQ(GbToBig5(0xA3, 0xC1), Pair(0xA2, 0xCF));  // Ａ
  EXPECT_EQ(GbToBig5(0xA1, 0xA1), Pair(0xA1, 0x40));  // the ideographic space
  EXPECT_EQ(Big5ToGb(0xA1, 0x40), Pair(0xA1, 0xA1));
  EXPECT_EQ(GbToSjis(0xA4, 0xA2), Pair(0x82, 0xA0));  // あ
  EXPECT_EQ(GbToSjis(0xA5, 0xA2), Pair(0x83, 0x41));  // ア
  EXPECT_EQ(GbToSjis(0xA6, 0xC1), Pair(0x83, 0xBF));  // α
  EXPECT_EQ(GbToSjis(0xA7, 0xA1), Pair(0x84, 0x40));  // А
  EXPECT_EQ(SjisToGb(0x81, 0x41), Pair(0xA1, 0xA2));  // 、
  EXPECT_EQ(SjisToGb(0x82, 0x60), Pair(0xA3, 0xC1));  // Ａ
}

TEST(BuiltTables, WhatHasNoCounterpartBecomesTheQuestionMark) {
  EXPECT_EQ(GbToBig5(0xA1, 0xBC), Big5Question);      // 〖 is not in Big5
  EXPECT_EQ(GbToBig5(0xAA, 0xA1), Big5Question);      // row 10 of GB is empty
  EXPECT_EQ(Big5ToGb(0xFA, 0x40), GbQuestion);        // past the last Big5 row
  EXPECT_EQ(Big5ToGb(0xA4, 0xAA), Pair(0xD4, 0xC6));  // 云: the row is not all replaced
  EXPECT_EQ(SjisToGb(0x92, 0xD2), GbQuestion);        // 辻, a kanji made in Japan
  EXPECT_EQ(SjisToGb(0x81, 0x7F), GbQuestion);        // 0x7F is no trail byte
  EXPECT_EQ(GbToSjis(0xA8, 0xA1), SjisQuestion);      // ā: the pinyin letters are not in Shift JIS
}

TEST(BuiltTables, GbHanziComeBackFromBig5) {
  Table there = LoadTable("GBBIG5.TBL", "GB2312", "BIG5");
  Table back = LoadTable("BIG5GB.TBL", "BIG5", "GB2312");
  int hanzi = 0, expressible = 0, returned = 0;
  for (int lead = 0xB0; lead <= 0xF7; ++lead) {
    for (int trail = 0xA1; trail <= 0xFE; ++trail) {
      if (DecodeWithIconv("GB2312", static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)) == 0) continue;
      ++hanzi;
      Pair big5 = Cell(there, GbIndex(lead, trail));
      if (big5 == Big5Question) continue;
      ++expressible;
      // A real Big5 character, not just two bytes.
      EXPECT_NE(DecodeWithIconv("BIG5", static_cast<uint8_t>(big5.first), static_cast<uint8_t>(big5.second)), 0u);
      returned += Cell(back, Big5Index(big5.first, big5.second)) == Pair(lead, trail) ? 1 : 0;
    }
  }
  EXPECT_EQ(hanzi, 6763);
  EXPECT_GT(expressible, 6400);
  EXPECT_GE(returned, 0.995 * expressible);
}
