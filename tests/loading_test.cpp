#include <gtest/gtest.h>

#include "document/document.h"
#include "document/hz_decode.h"
#include "document/line_index.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "tests/reference_rules.h"
#include "tests/test_support.h"

namespace {
// The index BuildLineIndex gives `text` at `width`, against the byte rule.
testing::AssertionResult IndexesAsTheByteRule(const Bytes& text, int width) {
  Settings.charsPerLine = width;
  if (!PutDocumentText(nullptr, text.data(), text.size()) || !BuildLineIndex(nullptr, Document.textLength))
    return testing::AssertionFailure() << "no index";
  ReferenceIndex expected = IndexByteByByte(text.data(), text.size(), width);
  std::vector<uint32_t> got;
  if (!text.empty()) got.assign(Document.LineIndex.get(), Document.LineIndex.get() + Document.lineCount + 1);
  if (got != expected.entries) {
    size_t k = 0;
    while (k < got.size() && k < expected.entries.size() && got[k] == expected.entries[k]) ++k;
    return testing::AssertionFailure() << "width " << width << ", " << text.size() << " bytes: entry " << k
                                       << " differs (" << got.size() << " entries, " << expected.entries.size()
                                       << " expected)";
  }
  if (!text.empty() && CodeType != expected.code)
    return testing::AssertionFailure() << "width " << width << ": code " << CodeType << ", expected " << expected.code;
  return testing::AssertionSuccess();
}

struct Random {
  uint32_t seed;
  uint32_t Next(uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  }
};

// Texts drawn from the bytes that decide: lead and trail bytes of every
// code, TAB, LF, CR, now and then a Ctrl-Z, in proportions that change with
// the profile (plain GB text, mostly pairs, mostly line ends).
Bytes RandomText(Random& random, size_t length, int profile) {
  static const uint8_t Deciding[] = {0x09, 0x0A, 0x0D, 0x00, 0x40, 0x7E, 0x80, 0x81, 0xA0, 0xA1, 0xB0, 0xFE};
  Bytes text;
  while (text.size() < length) {
    uint32_t pick = random.Next(100);
    if (pick == 0 && random.Next(4) == 0) {
      text.push_back(0x1A);
    } else if (profile == 0 && pick < 70) {
      text.push_back(static_cast<uint8_t>(0xB0 + random.Next(40)));
      text.push_back(static_cast<uint8_t>(0xA1 + random.Next(94)));
    } else if (profile == 0 && pick < 75) {
      text.push_back('\r');
      text.push_back('\n');
    } else if (profile == 1 && pick < 80) {
      text.push_back(static_cast<uint8_t>(0x80 + random.Next(128)));
    } else if (pick < 90) {
      text.push_back(Deciding[random.Next(sizeof Deciding)]);
    } else {
      text.push_back(static_cast<uint8_t>('a' + random.Next(26)));
    }
  }
  text.resize(length);
  return text;
}

// HZ with every escape, tildes where pairs start and where they do not,
// line ends in both modes, and a lone tilde now and then at the end.
Bytes RandomHz(Random& random, size_t length) {
  static const char* const Pieces[] = {"~{", "~}", "~~", "~\n", "~\r", "~", "\r\n", "!!", "0", "a~b", "\xB0"};
  Bytes text;
  while (text.size() < length) {
    const char* piece = Pieces[random.Next(sizeof Pieces / sizeof Pieces[0])];
    if (random.Next(3) == 0) piece = "QR";
    for (const char* c = piece; *c != '\0'; ++c) text.push_back(static_cast<uint8_t>(*c));
  }
  text.resize(length);
  return text;
}
}  // namespace

TEST(HzDecodeFast, MatchesTheByteRuleApartAndInPlace) {
  Random random{11};
  for (size_t length = 0; length <= 300; ++length) {
    for (int round = 0; round < 10; ++round) {
      Bytes in = RandomHz(random, length);
      Bytes expected(length + 1), apart(length + 1);
      expected.resize(DecodeHzByteByByte(in.data(), length, expected.data()));
      apart.resize(DecodeHzBytes(in.data(), length, apart.data()));
      ASSERT_EQ(apart, expected);
      Bytes inPlace = in;
      inPlace.resize(DecodeHzBytes(inPlace.data(), length, inPlace.data()));
      ASSERT_EQ(inPlace, expected);
    }
  }
}

TEST(LineIndexFast, MatchesTheByteRuleOnRandomTextsOfEveryLengthAndWidth) {
  Random random{7};
  for (size_t length = 0; length <= 300; ++length) {
    for (int width = 16; width <= 96; width += 1 + static_cast<int>(length % 3)) {
      ASSERT_TRUE(IndexesAsTheByteRule(RandomText(random, length, static_cast<int>(length % 3)), width));
    }
    ASSERT_TRUE(IndexesAsTheByteRule(RandomText(random, length, 1), 512));
  }
  for (int round = 0; round < 30; ++round) {
    Bytes text = RandomText(random, 20000 + random.Next(20000), round % 3);
    for (int width : {16, 17, 63, 64, 65, 80, 81, 127, 512}) ASSERT_TRUE(IndexesAsTheByteRule(text, width));
  }
}

TEST(LineIndexFast, MatchesTheByteRuleWhereLinesAndReadBlocksMeet) {
  // Each pattern is moved along by every offset, so that its bytes meet the
  // end of a display line and the edges of the blocks the index reads at
  // every cell: a first byte in the last cell and past it, a TAB across the
  // line end, CR LF split, the second byte awaited across TAB, CR, LF and a
  // line break, a Ctrl-Z after a first byte, a first byte as the last byte.
  const Bytes patterns[] = {
      {0xB0, 0xA1},
      {0xB0, 0xB0, 0xB0, 'a'},
      {0xB0, '\r', '\n', 0xA1},
      {0xB0, '\t', 0xA1, '\t'},
      {0xB0, '\n', 0xA1, 'b', '\n'},
      {'\r', '\n'},
      {'\t', 'x', '\t', '\t'},
      {0xB0, 0x1A, 0xA1},
      {0x81, 0x40, 0xA4, 0x40},
      {0xA4, 0x7E, 0xA4, 0xA1},
      {'a', 0xB0},
  };
  for (const Bytes& pattern : patterns) {
    for (size_t offset = 0; offset <= 140; ++offset) {
      Bytes text(offset, 'a');
      for (int copies = 0; copies < 3; ++copies) text.insert(text.end(), pattern.begin(), pattern.end());
      for (int width : {16, 17, 63, 64, 65, 79, 80, 81, 512}) {
        ASSERT_TRUE(IndexesAsTheByteRule(text, width)) << "pattern of " << pattern.size() << " at " << offset;
      }
    }
  }
}

TEST(LineIndexFast, AMillionLinesTakeAHandfulOfGrowths) {
  // The storage grows geometrically: a fixed step would copy the index
  // again and again, and opening a file of many lines would take minutes.
  Bytes text(1000000, '\n');
  ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
  FailAllocationsAfter(40);
  EXPECT_TRUE(BuildLineIndex(nullptr, Document.textLength));
  FailAllocationsAfter(-1);
  EXPECT_EQ(Document.lineCount, 1000000);
  EXPECT_EQ(Document.LineIndex[1000000], 1000000u);
  EXPECT_GE(Document.lineIndexCapacity, Document.lineCount + 1 + LineIndexFreeEntries);
}

TEST(LargeFiles, FourGibibytesOrMoreAreRefusedNeverWrapped) {
  // Offsets are 32-bit: a larger file read modulo 4 GiB would show a few
  // bytes of it as if they were the whole.
  ScratchFolder folder;
  std::string path = folder.File("large.gb");
  for (uint64_t size : {0xFFFFFFFFull, 0x100000000ull, 0x100000003ull}) {
    ClearHeadlessPrompts();
    WriteFile(path, ToBytes("x"));
    std::filesystem::resize_file(PathFromUtf8(path), size);  // sparse: takes no disk
    EXPECT_FALSE(LoadAndIndexDocument(nullptr, path.c_str()));
    EXPECT_EQ(Document.textLength, 0u);
    EXPECT_EQ(Document.lineCount, 0);
    ASSERT_EQ(HeadlessPrompts().size(), 1u);
    EXPECT_EQ(HeadlessPrompts()[0].text, "Can not alloc memory!");
  }
}
