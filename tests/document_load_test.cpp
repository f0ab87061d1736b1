#include <gtest/gtest.h>

#include <string>

#include "document/document.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "tests/test_support.h"

namespace {
Bytes TextHeld() { return Bytes(Document.text.get(), Document.text.get() + Document.textLength); }
}  // namespace

TEST(DocumentLoad, ReadsTheFileWholeWithAZeroAfterIt) {
  ResetCoreState();
  ScratchFolder folder;
  Bytes bytes = {0xB0, 0xA1, '\r', '\n', 0x1A, 'z'};
  WriteFile(folder.File("a.gb"), bytes);
  ASSERT_TRUE(LoadAndIndexDocument(nullptr, folder.File("a.gb").c_str()));
  EXPECT_EQ(TextHeld(), bytes);
  EXPECT_EQ(Document.text[6], 0);
  EXPECT_EQ(Document.lineCount, 1);
  EXPECT_EQ(Document.LineIndex[1], 4u);
  EXPECT_TRUE(HeadlessPrompts().empty());
}

TEST(DocumentLoad, HzIsDecodedOnlyWhenSupportIsOn) {
  ResetCoreState();
  ScratchFolder folder;
  WriteFile(folder.File("a.hz"), ToBytes("~{!!~}"));
  ASSERT_TRUE(LoadAndIndexDocument(nullptr, folder.File("a.hz").c_str()));
  EXPECT_EQ(TextHeld(), (Bytes{0xA1, 0xA1}));
  EXPECT_EQ(Document.text[2], 0);
  Settings.supportHZ = 0;
  ASSERT_TRUE(LoadAndIndexDocument(nullptr, folder.File("a.hz").c_str()));
  EXPECT_EQ(TextHeld(), ToBytes("~{!!~}"));
}

TEST(DocumentLoad, HzDecodingMakesCrLfInGbModeLookLikeShiftJis) {
  ResetCoreState();
  ScratchFolder folder;
  WriteFile(folder.File("a.hz"), ToBytes("~{!!\r\n"));
  LoadAndIndexDocument(nullptr, folder.File("a.hz").c_str());
  EXPECT_EQ(TextHeld(), (Bytes{0xA1, 0xA1, 0x8D, 0x8A}));
  EXPECT_EQ(CodeType, CodeShiftJis);
}

TEST(DocumentLoad, AMissingFileLeavesAnEmptyDocumentAndNamesThePath) {
  ResetCoreState();
  ScratchFolder folder;
  WriteFile(folder.File("a.gb"), ToBytes("first document"));
  ASSERT_TRUE(LoadAndIndexDocument(nullptr, folder.File("a.gb").c_str()));
  std::string missing = folder.File("missing.gb");
  EXPECT_FALSE(LoadAndIndexDocument(nullptr, missing.c_str()));
  EXPECT_EQ(Document.textLength, 0u);
  EXPECT_EQ(Document.lineCount, 0);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not open the file : " + missing);
  EXPECT_EQ(HeadlessPrompts()[0].style, StyleStop);
  // Nothing of the earlier document comes back on a rebuild.
  Settings.charsPerLine = 20;
  EXPECT_FALSE(LoadAndIndexDocument(nullptr, missing.c_str()));
  EXPECT_EQ(Document.lineCount, 0);
}

TEST(DocumentLoad, AnEmptyFileIsAnEmptyDocumentWithoutAMessage) {
  ResetCoreState();
  ScratchFolder folder;
  WriteFile(folder.File("empty.gb"), Bytes{});
  CodeType = CodeBig5;
  EXPECT_FALSE(LoadAndIndexDocument(nullptr, folder.File("empty.gb").c_str()));
  EXPECT_TRUE(LoadDocument(nullptr, folder.File("empty.gb").c_str()));
  EXPECT_EQ(Document.lineCount, 0);
  EXPECT_TRUE(HeadlessPrompts().empty());
  EXPECT_EQ(CodeType, CodeBig5);  // nothing to detect: the code stays
}

TEST(DocumentLoad, AllocationFailuresShowMessageFiveWithoutIcon) {
  ResetCoreState();
  ScratchFolder folder;
  WriteFile(folder.File("a.hz"), ToBytes("~{!!~}"));
  FailAllocationsAfter(0);
  EXPECT_FALSE(LoadAndIndexDocument(nullptr, folder.File("a.hz").c_str()));
  EXPECT_EQ(Document.textLength, 0u);
  ASSERT_FALSE(HeadlessPrompts().empty());
  EXPECT_EQ(HeadlessPrompts()[0].id, 5);
  EXPECT_EQ(HeadlessPrompts()[0].style, StylePlain);
  // The text arrives but HZ decoding cannot: the text stays as read.
  ClearHeadlessPrompts();
  FailAllocationsAfter(1);
  EXPECT_TRUE(LoadDocument(nullptr, folder.File("a.hz").c_str()));
  EXPECT_EQ(TextHeld(), ToBytes("~{!!~}"));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].id, 5);
  FailAllocationsAfter(-1);
}

TEST(DocumentLoad, AFolderIsNotAFile) {
  ResetCoreState();
  ScratchFolder folder;
  EXPECT_FALSE(LoadAndIndexDocument(nullptr, folder.path.string().c_str()));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].id, 7);
}

TEST(DocumentLoad, LargeFilesArriveWholeAcrossReadPieces) {
  ResetCoreState();
  ScratchFolder folder;
  Bytes bytes;
  for (int i = 0; i < 200000; ++i) bytes.push_back(static_cast<uint8_t>(i % 7 == 6 ? '\n' : 'a' + i % 7));
  WriteFile(folder.File("big.txt"), bytes);
  ASSERT_TRUE(LoadAndIndexDocument(nullptr, folder.File("big.txt").c_str()));
  EXPECT_EQ(TextHeld(), bytes);
  EXPECT_EQ(Document.lineCount, 200000 / 7 + 1);
}

TEST(DocumentLoad, TextFromMemoryIsCopiedWithAZeroAfterIt) {
  ResetCoreState();
  Bytes bytes = ToBytes("abc");
  ASSERT_TRUE(PutDocumentText(nullptr, bytes.data(), bytes.size()));
  EXPECT_EQ(TextHeld(), bytes);
  EXPECT_EQ(Document.text[3], 0);
  FailAllocationsAfter(0);
  EXPECT_FALSE(PutDocumentText(nullptr, bytes.data(), bytes.size()));
  FailAllocationsAfter(-1);
  EXPECT_EQ(Document.textLength, 0u);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].id, 5);
}

TEST(DocumentLoad, AFileThatReadsShortShowsMessageEightAndLeavesNoDocument) {
  std::string shortFile = ShortReadingFile();
  if (shortFile.empty()) GTEST_SKIP() << "no file here reads shorter than its size";
  ResetCoreState();
  EXPECT_FALSE(LoadAndIndexDocument(nullptr, shortFile.c_str()));
  EXPECT_EQ(Document.textLength, 0u);
  EXPECT_EQ(Document.lineCount, 0);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not read file : " + shortFile);
  EXPECT_EQ(HeadlessPrompts()[0].style, StylePlain);
}
