// Reading a text, decoding HZ and breaking the text into display lines.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "document/hz_decode.h"
#include "document/line_index.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "shell/view_state.h"
#include "tests/test_support.h"

namespace {
using Entries = std::vector<uint32_t>;

Bytes TextHeld() { return Bytes(Document.text.get(), Document.text.get() + Document.textLength); }

Entries IndexHeld() {
  Entries entries;
  for (int j = 0; Document.lineCount > 0 && j <= Document.lineCount; ++j) entries.push_back(Document.LineIndex[j]);
  return entries;
}

// 0, 1, ..., n: the index of n line feeds.
Entries Counting(uint32_t n) {
  Entries entries(n + 1);
  for (uint32_t j = 0; j <= n; ++j) entries[j] = j;
  return entries;
}

Bytes Repeat(char c, size_t n) { return Bytes(n, static_cast<uint8_t>(c)); }

// Something was shown, and all of it was "Can not alloc memory!" without an icon.
void ExpectOnlyMessageFive(int allowed) {
  ASSERT_FALSE(HeadlessPrompts().empty()) << allowed;
  for (const HeadlessPrompt& shown : HeadlessPrompts()) {
    EXPECT_EQ(shown.text, "Can not alloc memory!") << allowed;
    EXPECT_EQ(shown.style, StylePlain) << allowed;
  }
}
}  // namespace

TEST(HzDecode, EscapesVanishAndGbModeSetsBitSevenPairByPair) {
  const std::pair<std::string, std::string> cases[] = {
      {"", ""},
      {"~{!!~}", "\xA1\xA1"},
      {"a~\r\n", "a\r\n"},  // a tilde before a line end vanishes and ends GB mode
      {"~{!!~\n!!", "\xA1\xA1\n!!"},
      {"~~{", "~{"},  // a double tilde is one tilde
      {"~{~~~}", "\xFE"},
      {"x~y", "x~y"},
      {"x~", "x~"},
      {"~{!!\r\n", "\xA1\xA1\x8D\x8A"},  // GB mode crosses line ends
      {"~{ a", "\xA0\xE1"},
      {"~{~", "\xFE"},
      // Escapes stand only where a pair starts: a pair's second byte may be
      // a tilde (GB 0xFE), and the "~}" after it still ends GB mode.
      {"~{0~~}", "\xB0\xFE"},
      {"~{1!0~~}.\r\n", "\xB1\xA1\xB0\xFE.\r\n"},
      {"~{0~0!~}", "\xB0\xFE\xB0\xA1"},
      {"~{!!\r\n~}x", "\xA1\xA1\x8D\x8Ax"}};
  for (const auto& [in, out] : cases) {
    Bytes decoded(in.size() + 1, 0xCC);
    decoded.resize(DecodeHzBytes(ToBytes(in).data(), in.size(), decoded.data()));
    EXPECT_EQ(decoded, ToBytes(out)) << in;
  }
}

TEST(LineIndex, BreaksAtLineEndsAndWidthAndDetectsTheCode) {
  const int Unchanged = -1;
  const std::tuple<Bytes, Entries, int> cases[] = {
      {{}, {}, Unchanged},
      {Repeat('a', 160), {0, 80, 160}, CodeGb},  // no empty line after a full one
      {ToBytes("ab\r\ncd"), {0, 4, 6}, CodeGb},
      {ToBytes("\n\n"), {0, 1, 2}, CodeGb},
      // A CR filling the last cell: the line takes the LF too.
      {Join({Repeat('a', 80), ToBytes("\r\n")}), {0, 80, 82}, CodeGb},
      {Join({Repeat('a', 79), ToBytes("\r\nx")}), {0, 80, 81, 82}, CodeGb},
      // A double-byte character in the last cell stays whole.
      {Join({Repeat('a', 79), {0xB0, 0xA1}, ToBytes("b")}), {0, 81, 82}, CodeGb},
      {Join({Repeat('a', 78), {0xB0, 0xA1, 0xB0, 0xA1}}), {0, 80, 82}, CodeGb},
      // Tabs run to the next stop, may end the line, and restart each line.
      {Join({Repeat('a', 75), ToBytes("\tz")}), {0, 76, 77}, CodeGb},
      {Join({ToBytes("abc\t"), Repeat('x', 72), ToBytes("y")}), {0, 76, 77}, CodeGb},
      {Join({Repeat('a', 80), ToBytes("b\t"), Repeat('c', 72), ToBytes("d")}), {0, 80, 154, 155}, CodeGb},
      // Ctrl-Z ends the text for good, for the code too.
      {ToBytes("A\032B"), {0, 1}, CodeGb},
      {ToBytes("\032B"), {}, CodeGb},
      {{0xB0, 0xA1, 0x1A, 0x82, 0xA0}, {0, 2}, CodeGb},
      // The second-byte flag survives a LF and a width break: "@" and "A"
      // after them are second bytes, which makes the text Big5.
      {{0xB0, '\n', '@'}, {0, 2, 3}, CodeBig5},
      {Join({Repeat('a', 79), {0xB0, '\t', 0x41}}), {0, 81, 82}, CodeBig5},
      // Shift JIS wins over Big5, Big5 over GB.
      {{0xB0, 0xA1, 0xC4, 0xE3}, {0, 4}, CodeGb},
      {{0xB0, 0xA1, 0xA4, 0x40}, {0, 4}, CodeBig5},
      {{0xA4, 0x40, 0x82, 0xA0}, {0, 4}, CodeShiftJis},
      {{0x82, 0xA0, 0xA4, 0x40}, {0, 4}, CodeShiftJis},
      {ToBytes("plain ascii"), {0, 11}, CodeGb},
      {{0xA0, 0xA1}, {0, 2}, CodeShiftJis},
      {{0xA1, 0xA1}, {0, 2}, CodeGb},
      // Around the growth of the index storage.
      {Repeat('\n', 1019), Counting(1019), CodeGb},
      {Repeat('\n', 1020), Counting(1020), CodeGb},
      {Join({Repeat('\n', 1019), ToBytes("x")}), Counting(1020), CodeGb},
      {Join({Repeat('\n', 2038), ToBytes("x")}), Counting(2039), CodeGb},
      {Repeat('\n', 100000), Counting(100000), CodeGb}};
  for (const auto& [text, entries, code] : cases) {
    SCOPED_TRACE(std::string(text.begin(), text.begin() + std::min<size_t>(text.size(), 90)));
    CodeType = Unchanged;
    ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
    EXPECT_TRUE(BuildLineIndex(nullptr, static_cast<uint32_t>(text.size())));
    EXPECT_EQ(IndexHeld(), entries);
    EXPECT_EQ(Document.textLength, text.size());
    EXPECT_EQ(CodeType, code);
  }
}

TEST(LineIndex, EveryLineHoldsAByteAndARebuildStartsAtTheTop) {
  Bytes text;
  for (int i = 0; i < 5000; ++i) text.push_back(static_cast<uint8_t>((i * 7919) % 251));
  ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
  for (int width : {16, 17, 80, 512}) {
    Settings.charsPerLine = width;
    BuildLineIndex(nullptr, Document.textLength);
    ASSERT_GT(Document.lineCount, 0);
    for (int j = 0; j < Document.lineCount; ++j) ASSERT_LT(Document.LineIndex[j], Document.LineIndex[j + 1]);
    EXPECT_LE(Document.LineIndex[Document.lineCount], Document.textLength);
  }
  // A length past the text is cut to it.
  PutDocumentText(nullptr, ToBytes("abc").data(), 3);
  ViewState.firstLine = 12;
  BuildLineIndex(nullptr, 1000000);
  EXPECT_EQ(IndexHeld(), (Entries{0, 3}));
  EXPECT_EQ(ViewState.firstLine, 0);
}

TEST(LineIndex, EachFailedAllocationShowsMessageFiveAndLeavesNoLines) {
  // The storage grows twice, the second time for the unfinished last line.
  Bytes text = Join({Repeat('\n', 2038), ToBytes("x")});
  FailEachAllocation([] {},
                     [&] {
                       return PutDocumentText(nullptr, text.data(), text.size()) &&
                              BuildLineIndex(nullptr, Document.textLength);
                     },
                     [](int allowed) {
                       ExpectOnlyMessageFive(allowed);
                       EXPECT_EQ(Document.lineCount, 0) << allowed;
                     });
  EXPECT_EQ(IndexHeld(), Counting(2039));
}

TEST(DocumentLoad, TheFileArrivesWholeOrItsFailureNamesThePathAndLeavesNoDocument) {
  ScratchFolder folder;
  Bytes big;  // more than one read piece
  for (int i = 0; i < 200000; ++i) big.push_back(static_cast<uint8_t>(i % 7 == 6 ? '\n' : 'a' + i % 7));
  const std::string file = folder.File("a.txt"), missing = folder.File("missing.gb"), dir = folder.path.string();
  const std::string shortFile = ShortReadingFile();  // empty where the system has none
  const struct {
    std::string path;
    Bytes written;
    int supportHZ;
    bool named;  // the title names the file
    Bytes text;
    int lines, code;
    std::string message;
  } cases[] = {{file, {0xB0, 0xA1, '\r', '\n', 0x1A, 'z'}, 1, true, {0xB0, 0xA1, '\r', '\n', 0x1A, 'z'}, 1, CodeGb, ""},
               {file, ToBytes("~{!!~}"), 1, true, {0xA1, 0xA1}, 1, CodeGb, ""},
               {file, ToBytes("~{!!~}"), 0, true, ToBytes("~{!!~}"), 1, CodeGb, ""},
               {file, ToBytes("~{!!\r\n"), 1, true, {0xA1, 0xA1, 0x8D, 0x8A}, 1, CodeShiftJis, ""},  // decoded CR LF
               {file, {}, 1, false, {}, 0, CodeBig5, ""},  // nothing to detect: the code stays
               {file, big, 1, true, big, 200000 / 7 + 1, CodeGb, ""},
               {missing, {}, 1, false, {}, 0, CodeBig5, "Can not open the file : " + missing},
               {dir, {}, 1, false, {}, 0, CodeBig5, "Can not open the file : " + dir},
               {shortFile, {}, 1, false, {}, 0, CodeBig5, "Can not read file : " + shortFile}};
  for (const auto& c : cases) {
    if (c.path.empty()) continue;
    SCOPED_TRACE(c.path + " " + std::string(c.text.begin(), c.text.begin() + std::min<size_t>(c.text.size(), 9)));
    // Nothing of an earlier document comes back, even at another width.
    WriteFile(file, ToBytes("earlier document"));
    ASSERT_TRUE(LoadAndIndexDocument(nullptr, file.c_str()));
    Settings.charsPerLine = 20;
    WriteFile(file, c.written);
    Settings.supportHZ = c.supportHZ;
    CodeType = CodeBig5;
    EXPECT_EQ(LoadAndIndexDocument(nullptr, c.path.c_str()), c.named);
    EXPECT_EQ(TextHeld(), c.text);
    EXPECT_TRUE(!Document.text || Document.text[Document.textLength] == 0);
    EXPECT_EQ(Document.lineCount, c.lines);
    EXPECT_EQ(CodeType, c.code);
    ASSERT_EQ(HeadlessPrompts().size(), c.message.empty() ? 0u : 1u);
    if (c.message.empty()) continue;
    EXPECT_EQ(HeadlessPrompts()[0].text, c.message);
    EXPECT_EQ(HeadlessPrompts()[0].style, c.path == shortFile ? StylePlain : StyleStop);
    ClearHeadlessPrompts();
  }
}

TEST(DocumentLoad, EachFailedAllocationShowsMessageFiveAndLeavesADefinedDocument) {
  ScratchFolder folder;
  const Bytes hz = ToBytes("~{!!~}"), decoded = {0xA1, 0xA1};
  WriteFile(folder.File("a.hz"), hz);
  std::set<std::string> statesLeft;
  FailEachAllocation(
      [] {},
      [&] {
        bool named = LoadAndIndexDocument(nullptr, folder.File("a.hz").c_str());
        return named && Document.lineCount > 0 && HeadlessPrompts().empty();
      },
      [&](int allowed) {
        ExpectOnlyMessageFive(allowed);
        EXPECT_EQ(Document.lineCount, 0) << allowed;
        EXPECT_TRUE(!Document.text || Document.text[Document.textLength] == 0) << allowed;
        Bytes held = TextHeld();
        statesLeft.insert(held.empty() ? "no text" : held == hz ? "as read" : held == decoded ? "decoded" : "other");
      });
  EXPECT_EQ(TextHeld(), decoded);
  // No text when it could not be read, the text as read when HZ decoding
  // failed, the decoded text without lines when the index failed.
  EXPECT_EQ(statesLeft, (std::set<std::string>{"no text", "as read", "decoded"}));
}
