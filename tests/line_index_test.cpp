#include <gtest/gtest.h>

#include <vector>

#include "document/document.h"
#include "document/line_index.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "shell/view_state.h"
#include "tests/test_support.h"

namespace {
// Puts `bytes` in the document text (with the 0 after it) and indexes it.
void Index(const Bytes& bytes, int width = 80) {
  ResetCoreState();
  Settings.charsPerLine = width;
  ASSERT_TRUE(PutDocumentText(nullptr, bytes.data(), bytes.size()));
  BuildLineIndex(nullptr, static_cast<uint32_t>(bytes.size()));
}

std::vector<uint32_t> Entries() {
  std::vector<uint32_t> entries;
  if (Document.lineCount == 0) return entries;
  for (int j = 0; j <= Document.lineCount; ++j) entries.push_back(Document.LineIndex[j]);
  return entries;
}

Bytes Repeat(uint8_t b, size_t n) { return Bytes(n, b); }

}  // namespace

TEST(LineIndex, EmptyTextHasNoLinesAndATextEndingAtABreakNoEmptyLast) {
  Index(Bytes{});
  EXPECT_EQ(Document.lineCount, 0);
  Index(Repeat('a', 160));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 80, 160}));
}

TEST(LineIndex, LfEndsItsLineAndBelongsToIt) {
  Index(ToBytes("ab\r\ncd"));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 4, 6}));
  Index(ToBytes("\n\n"));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 1, 2}));
}

TEST(LineIndex, CrFillingTheLastCellGivesALineOfCrLf) {
  Index(Join({Repeat('a', 80), ToBytes("\r\n")}));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 80, 82}));
  Index(Join({Repeat('a', 79), ToBytes("\r\nx")}));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 80, 81, 82}));
}

TEST(LineIndex, DoubleByteCharacterInTheLastCellStaysWhole) {
  Index(Join({Repeat('a', 79), Bytes{0xB0, 0xA1}, ToBytes("b")}));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 81, 82}));
  Index(Join({Repeat('a', 78), Bytes{0xB0, 0xA1, 0xB0, 0xA1}}));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 80, 82}));
}

TEST(LineIndex, TabsRunToTheNextStopAndMayEndTheLine) {
  Index(Join({Repeat('a', 75), ToBytes("\tz")}));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 76, 77}));
  // A tab at cell 3 reaches cell 8: 72 more cells fill the line.
  Index(Join({ToBytes("abc\t"), Repeat('x', 72), ToBytes("y")}));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 76, 77}));
  // Tab stops restart on every display line.
  Index(Join({Repeat('a', 80), ToBytes("b\t"), Repeat('c', 72), ToBytes("d")}), 80);
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 80, 154, 155}));
}

TEST(LineIndex, CtrlZEndsTheTextForGood) {
  Index(
      ToBytes("A\x1A"
              "B"));
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 1}));
  EXPECT_EQ(Document.textLength, 3u);
  Index(
      ToBytes("\x1A"
              "B"));
  EXPECT_EQ(Document.lineCount, 0);
  // Bytes after the Ctrl-Z do not count for the code either.
  Index(Join({Bytes{0xB0, 0xA1, 0x1A, 0x82, 0xA0}}));
  EXPECT_EQ(CodeType, CodeGb);
}

TEST(LineIndex, SecondByteFlagSurvivesControlBytesAndBreaks) {
  // A first byte, then LF: the LF still ends the line, and "@" after it is
  // taken as the second byte, which makes the text Big5.
  Index(Bytes{0xB0, '\n', '@'});
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 2, 3}));
  EXPECT_EQ(CodeType, CodeBig5);
  // Across a width break: the pair's first byte fills cell 80 and the TAB
  // that follows it at the start of the next line keeps the flag.
  Index(Join({Repeat('a', 79), Bytes{0xB0, '\t', 0x41}}), 80);
  EXPECT_EQ(CodeType, CodeBig5);
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 81, 82}));
}

TEST(LineIndex, DetectionOrderIsShiftJisThenBig5ThenGb) {
  Index(Bytes{0xB0, 0xA1, 0xC4, 0xE3});
  EXPECT_EQ(CodeType, CodeGb);
  Index(Bytes{0xB0, 0xA1, 0xA4, 0x40});
  EXPECT_EQ(CodeType, CodeBig5);
  Index(Bytes{0xA4, 0x40, 0x82, 0xA0});
  EXPECT_EQ(CodeType, CodeShiftJis);
  // A Big5 second byte after Shift JIS was seen does not undo it.
  Index(Bytes{0x82, 0xA0, 0xA4, 0x40});
  EXPECT_EQ(CodeType, CodeShiftJis);
  Index(ToBytes("plain ascii"));
  EXPECT_EQ(CodeType, CodeGb);
  // 0xA0 as a first byte is Shift JIS; 0xA1 is not.
  Index(Bytes{0xA0, 0xA1});
  EXPECT_EQ(CodeType, CodeShiftJis);
  Index(Bytes{0xA1, 0xA1});
  EXPECT_EQ(CodeType, CodeGb);
}

TEST(LineIndex, EveryLineHoldsABytesAndTheIndexNeverFalls) {
  Bytes text;
  for (int i = 0; i < 5000; ++i) text.push_back(static_cast<uint8_t>((i * 7919) % 251));
  for (int width : {16, 17, 80, 512}) {
    Index(text, width);
    ASSERT_GT(Document.lineCount, 0);
    for (int j = 0; j < Document.lineCount; ++j) EXPECT_LT(Document.LineIndex[j], Document.LineIndex[j + 1]);
    EXPECT_LE(Document.LineIndex[Document.lineCount], Document.textLength);
  }
}

TEST(LineIndex, RebuildReturnsTheViewToTheTop) {
  Index(ToBytes("x"));
  ViewState.firstLine = 12;
  BuildLineIndex(nullptr, Document.textLength);
  EXPECT_EQ(ViewState.firstLine, 0);
}

TEST(LineIndex, StorageGrowsBeforeThe1020thEntry) {
  Index(Repeat('\n', 1019));
  EXPECT_EQ(Document.lineCount, 1019);
  EXPECT_EQ(Document.lineIndexCapacity, 1024u);
  Index(Repeat('\n', 1020));
  EXPECT_EQ(Document.lineCount, 1020);
  EXPECT_EQ(Document.lineIndexCapacity, 2048u);
  EXPECT_EQ(Document.LineIndex[1020], 1020u);
  // The final entry of an unfinished last line grows the storage too.
  Index(Join({Repeat('\n', 1019), ToBytes("x")}));
  EXPECT_EQ(Document.lineCount, 1020);
  EXPECT_EQ(Document.lineIndexCapacity, 2048u);
  Index(Repeat('\n', 100000));
  EXPECT_EQ(Document.lineCount, 100000);
  EXPECT_GE(Document.lineIndexCapacity, 100005u);
  for (int j = 0; j <= Document.lineCount; ++j) ASSERT_EQ(Document.LineIndex[j], static_cast<uint32_t>(j));
}

TEST(LineIndex, AllocationFailuresLeaveNoLinesAndSayWhy) {
  Index(ToBytes("x"));
  FailAllocationsAfter(0);
  BuildLineIndex(nullptr, Document.textLength);
  EXPECT_EQ(Document.lineCount, 0);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not alloc memory!");
  EXPECT_EQ(HeadlessPrompts()[0].style, StylePlain);
  // The first allocation works, the growth fails.
  Index(Repeat('\n', 2000));
  FailAllocationsAfter(1);
  BuildLineIndex(nullptr, 2000);
  EXPECT_EQ(Document.lineCount, 0);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].id, 5);
  // The growth for the final entry of an unfinished last line fails too.
  Index(Join({Repeat('\n', 1019), ToBytes("x")}));
  FailAllocationsAfter(1);
  EXPECT_FALSE(BuildLineIndex(nullptr, Document.textLength));
  EXPECT_EQ(Document.lineCount, 0);
  FailAllocationsAfter(-1);
}

TEST(LineIndex, ALengthPastTheTextIsCutToIt) {
  Index(ToBytes("abc"));
  BuildLineIndex(nullptr, 1000000);
  EXPECT_EQ(Document.textLength, 3u);
  EXPECT_EQ(Entries(), (std::vector<uint32_t>{0, 3}));
}
