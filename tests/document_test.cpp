// Reading a text, decoding HZ, breaking it into display lines, and drawing
// the lines with the glyphs of the font of the current code.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "document/glyph_font.h"
#include "document/hz_decode.h"
#include "document/line_bitmap.h"
#include "document/line_index.h"
#include "shell/font_path.h"
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

// The text and style of every message shown since the last look, cleared.
using Messages = std::vector<std::pair<std::string, int>>;
Messages Shown() {
  Messages shown;
  for (const HeadlessPrompt& prompt : HeadlessPrompts()) shown.emplace_back(prompt.text, prompt.style);
  ClearHeadlessPrompts();
  return shown;
}

// Something was shown, and all of it was "Can not alloc memory!" without an icon.
void ExpectOnlyMessageFive(int allowed) {
  Messages shown = Shown();
  EXPECT_FALSE(shown.empty()) << allowed;
  EXPECT_EQ(shown, Messages(shown.size(), {"Can not alloc memory!", StylePlain})) << allowed;
}

constexpr size_t GbFont = 265792, Big5Font = 451232, SjisFont = 270208;
constexpr int64_t Blank = -1;

// Makes a marked font of `size` bytes the loaded one; 0: no font.
void UseFont(size_t size) {
  Bytes bytes = MakeMarkedFont(size);
  GlyphFont.bytes = size == 0 ? nullptr : AllocateZeroed<uint8_t>(size);
  if (size > 0) std::copy(bytes.begin(), bytes.end(), GlyphFont.bytes.get());
  GlyphFont.size = size;
}

// Where the glyph of a single byte and of wide glyph g lie in a font file.
constexpr int64_t Narrow(int c) { return 16 * c; }
constexpr int64_t Wide(int g) { return 4096 + 32 * g; }

enum Lookup { Single, Gb, Big5, Sjis };
int64_t OffsetOf(Lookup lookup, int first, int second) {
  const uint8_t* glyph = lookup == Single ? SingleByteGlyph(uint8_t(first))
                         : lookup == Gb   ? GbGlyph(uint8_t(first), uint8_t(second))
                         : lookup == Big5 ? Big5Glyph(uint8_t(first), uint8_t(second))
                                          : SjisGlyph(uint8_t(first), uint8_t(second));
  return glyph == nullptr ? Blank : glyph - GlyphFont.bytes.get();
}

// The bitmap as the marked font draws `cells` from the left, the rest clear:
// ' ' is a blank cell, '<' and '>' the halves of wide glyph g, any other
// character its single-byte glyph.
Bytes Drawn(const std::string& cells, int g = 0) {
  Bytes bits(static_cast<size_t>(LineBitmap.bytesPerRow) * LineBitmap.lineHeight, 0);
  for (size_t cell = 0; cell < cells.size(); ++cell) {
    for (int k = 0, c = static_cast<uint8_t>(cells[cell]); k < 16; ++k) {
      int at = 2 * k + (c == '>'), wide = at == 0 ? (g + 1) & 0xFF : at == 1 ? (g + 1) >> 8 : at;
      bits[(GlyphTop() + k) * LineBitmap.bytesPerRow + cell] = uint8_t(c == ' '               ? 0
                                                                       : c == '<' || c == '>' ? wide
                                                                                              : c ^ k);
    }
  }
  return bits;
}
Bytes BitmapHeld() {
  if (!LineBitmap.bits) return {};
  return Bytes(LineBitmap.bits.get(), LineBitmap.bits.get() + LineBitmap.bytesPerRow * LineBitmap.lineHeight);
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
      // Escapes stand where a pair starts: a second byte may be a tilde (GB 0xFE).
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

TEST(LineIndex, BreaksAtLineEndsAndWidthDetectsTheCodeAndSurvivesFailedAllocations) {
  const int Unchanged = -1;
  const std::tuple<Bytes, Entries, int> cases[] = {
      {{}, {}, Unchanged},
      {Bytes(160, 'a'), {0, 80, 160}, CodeGb},  // no empty line after a full one
      {ToBytes("ab\r\ncd"), {0, 4, 6}, CodeGb},
      {ToBytes("\n\n"), {0, 1, 2}, CodeGb},
      // A CR filling the last cell: the line takes the LF too.
      {Join({Bytes(80, 'a'), ToBytes("\r\n")}), {0, 80, 82}, CodeGb},
      {Join({Bytes(79, 'a'), ToBytes("\r\nx")}), {0, 80, 81, 82}, CodeGb},
      // A double-byte character in the last cell stays whole.
      {Join({Bytes(79, 'a'), {0xB0, 0xA1}, ToBytes("b")}), {0, 81, 82}, CodeGb},
      {Join({Bytes(78, 'a'), {0xB0, 0xA1, 0xB0, 0xA1}}), {0, 80, 82}, CodeGb},
      // Tabs run to the next stop, may end the line, and restart each line.
      {Join({Bytes(75, 'a'), ToBytes("\tz")}), {0, 76, 77}, CodeGb},
      {Join({ToBytes("abc\t"), Bytes(72, 'x'), ToBytes("y")}), {0, 76, 77}, CodeGb},
      {Join({Bytes(80, 'a'), ToBytes("b\t"), Bytes(72, 'c'), ToBytes("d")}), {0, 80, 154, 155}, CodeGb},
      // Ctrl-Z ends the text for good, for the code too.
      {ToBytes("A\032B"), {0, 1}, CodeGb},
      {ToBytes("\032B"), {}, CodeGb},
      {{0xB0, 0xA1, 0x1A, 0x82, 0xA0}, {0, 2}, CodeGb},
      // The second-byte flag survives a LF and a width break: "@" and "A"
      // after them are second bytes, which makes the text Big5.
      {{0xB0, '\n', '@'}, {0, 2, 3}, CodeBig5},
      {Join({Bytes(79, 'a'), {0xB0, '\t', 0x41}}), {0, 81, 82}, CodeBig5},
      // Shift JIS wins over Big5, Big5 over GB.
      {{0xB0, 0xA1, 0xC4, 0xE3}, {0, 4}, CodeGb},
      {{0xB0, 0xA1, 0xA4, 0x40}, {0, 4}, CodeBig5},
      {{0xA4, 0x40, 0x82, 0xA0}, {0, 4}, CodeShiftJis},
      {{0x82, 0xA0, 0xA4, 0x40}, {0, 4}, CodeShiftJis},
      {ToBytes("plain ascii"), {0, 11}, CodeGb},
      {{0xA0, 0xA1}, {0, 2}, CodeShiftJis},
      {{0xA1, 0xA1}, {0, 2}, CodeGb},
      // Around the growth of the index storage.
      {Bytes(1019, '\n'), Counting(1019), CodeGb},
      {Bytes(1020, '\n'), Counting(1020), CodeGb},
      {Join({Bytes(1019, '\n'), ToBytes("x")}), Counting(1020), CodeGb},
      {Join({Bytes(2038, '\n'), ToBytes("x")}), Counting(2039), CodeGb},
      {Bytes(100000, '\n'), Counting(100000), CodeGb}};
  for (const auto& [text, entries, code] : cases) {
    SCOPED_TRACE(std::string(text.begin(), text.begin() + std::min<size_t>(text.size(), 90)));
    CodeType = Unchanged;
    ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
    EXPECT_TRUE(BuildLineIndex(nullptr, static_cast<uint32_t>(text.size())));
    EXPECT_EQ(IndexHeld(), entries);
    EXPECT_EQ(Document.textLength, text.size());
    EXPECT_EQ(CodeType, code);
  }
  // A length past the text is cut to it, and the view returns to the top.
  ViewState.firstLine = 12;
  BuildLineIndex(nullptr, 1000000);
  EXPECT_EQ(IndexHeld(), Counting(100000));
  EXPECT_EQ(ViewState.firstLine, 0);
  // In any text at any width every line holds a byte and the index never falls.
  Bytes noise;
  for (int i = 0; i < 5000; ++i) noise.push_back(static_cast<uint8_t>((i * 7919) % 251));
  ASSERT_TRUE(PutDocumentText(nullptr, noise.data(), noise.size()));
  for (int width : {16, 17, 80, 512}) {
    Settings.charsPerLine = width;
    BuildLineIndex(nullptr, Document.textLength);
    Entries entries = IndexHeld();
    EXPECT_GT(entries.size(), 1u);
    EXPECT_EQ(std::adjacent_find(entries.begin(), entries.end(), std::greater_equal<>()), entries.end()) << width;
    EXPECT_LE(entries.back(), Document.textLength);
  }
  // Each failed allocation shows message 5 and leaves no lines; the storage
  // grows twice, the second time for the unfinished last line.
  Bytes longText = Join({Bytes(2038, '\n'), ToBytes("x")});
  FailEachAllocation(
      ClearDocument,
      [&] {
        return PutDocumentText(nullptr, longText.data(), longText.size()) &&
               BuildLineIndex(nullptr, Document.textLength);
      },
      [](int allowed) {
        ExpectOnlyMessageFive(allowed);
        EXPECT_EQ(Document.lineCount, 0) << allowed;
      });
  EXPECT_EQ(IndexHeld(), Counting(2039));
}

TEST(DocumentLoad, TheFileArrivesWholeOrItsFailureIsShownAndLeavesADefinedDocument) {
  ScratchFolder folder;
  Bytes big;  // more than one read piece
  for (int i = 0; i < 200000; ++i) big.push_back(static_cast<uint8_t>(i % 7 == 6 ? '\n' : 'a' + i % 7));
  const std::string file = folder.File("a.txt"), missing = folder.File("missing.gb"), dir = folder.path.string();
  const std::string shortFile = ShortReadingFile();  // empty where the system has none
  // The file and what it holds, the HZ setting; then whether the title names
  // the file, the text and lines held, the code and the message shown.
  const std::tuple<std::string, Bytes, int, bool, Bytes, int, int, std::string> cases[] = {
      {file, {0xB0, 0xA1, '\r', '\n', 0x1A, 'z'}, 1, true, {0xB0, 0xA1, '\r', '\n', 0x1A, 'z'}, 1, CodeGb, ""},
      {file, ToBytes("~{!!~}"), 1, true, {0xA1, 0xA1}, 1, CodeGb, ""},
      {file, ToBytes("~{!!~}"), 0, true, ToBytes("~{!!~}"), 1, CodeGb, ""},
      {file, ToBytes("~{!!\r\n"), 1, true, {0xA1, 0xA1, 0x8D, 0x8A}, 1, CodeShiftJis, ""},
      {file, {}, 1, false, {}, 0, CodeBig5, ""},
      {file, big, 1, true, big, 200000 / 7 + 1, CodeGb, ""},
      {missing, {}, 1, false, {}, 0, CodeBig5, "Can not open the file : " + missing},
      {dir, {}, 1, false, {}, 0, CodeBig5, "Can not open the file : " + dir},
      {shortFile, {}, 1, false, {}, 0, CodeBig5, "Can not read file : " + shortFile}};
  for (const auto& [path, written, supportHZ, named, text, lines, code, message] : cases) {
    if (path.empty()) continue;
    SCOPED_TRACE(path + " " + std::string(text.begin(), text.begin() + std::min<size_t>(text.size(), 9)));
    // Nothing of an earlier document comes back, even at another width.
    WriteFile(file, ToBytes("earlier document"));
    ASSERT_TRUE(LoadAndIndexDocument(nullptr, file.c_str()));
    Settings.charsPerLine = 20;
    WriteFile(file, written);
    Settings.supportHZ = supportHZ;
    CodeType = CodeBig5;
    EXPECT_EQ(LoadAndIndexDocument(nullptr, path.c_str()), named);
    EXPECT_EQ(std::tie(Document.lineCount, CodeType), std::tie(lines, code));
    EXPECT_EQ(TextHeld(), text);
    EXPECT_TRUE(!Document.text || Document.text[Document.textLength] == 0);
    EXPECT_EQ(Shown(),
              (message.empty() ? Messages{} : Messages{{message, path == shortFile ? StylePlain : StyleStop}}));
  }
  // Each failed allocation shows message 5 and leaves a defined document.
  const Bytes hzText = ToBytes("~{!!~}"), decoded = {0xA1, 0xA1};
  WriteFile(folder.File("a.hz"), hzText);
  std::set<std::string> statesLeft;
  FailEachAllocation([] {},
                     [&] {
                       bool named = LoadAndIndexDocument(nullptr, folder.File("a.hz").c_str());
                       return named && Document.lineCount > 0 && HeadlessPrompts().empty();
                     },
                     [&](int allowed) {
                       ExpectOnlyMessageFive(allowed);
                       EXPECT_EQ(Document.lineCount, 0) << allowed;
                       EXPECT_TRUE(!Document.text || Document.text[Document.textLength] == 0) << allowed;
                       Bytes held = TextHeld();
                       statesLeft.insert(held.empty()      ? "no text"
                                         : held == hzText  ? "as read"
                                         : held == decoded ? "decoded"
                                                           : "other");
                     });
  EXPECT_EQ(TextHeld(), decoded);
  // No text, or the decoded text (the index failed): HZ decodes in place.
  EXPECT_EQ(statesLeft, (std::set<std::string>{"no text", "decoded"}));
}

TEST(GlyphLookup, EachCodeFindsItsGlyphOrBlankNeverPastTheFont) {
  // GB rows of 94; Big5 rows of 157 with 0x7F..0xA0 repeating 0x5D..0x7E and
  // bytes below 0x40 reaching back; Shift JIS rows of 189 in two blocks.
  const std::tuple<Lookup, int, int, int64_t> complete[] = {
      {Gb, 0xA1, 0xA1, Wide(0)},       {Gb, 0xB0, 0xA1, Wide(1410)},    {Gb, 0xF7, 0xFE, Wide(8177)},
      {Gb, 0xB0, 0xFF, Wide(1504)},    {Gb, 0xF7, 0xFF, Blank},         {Gb, 0xF8, 0xA1, Blank},
      {Gb, 0xB0, 0x41, Blank},         {Gb, 0xA0, 0xA1, Blank},         {Big5, 0xA4, 0x40, Wide(471)},
      {Big5, 0xA4, 0xA1, Wide(534)},   {Big5, 0xF9, 0xFE, Wide(13972)}, {Big5, 0xA4, 0x5D, Wide(500)},
      {Big5, 0xA4, 0x7F, Wide(500)},   {Big5, 0xA4, 0xA0, Wide(533)},   {Big5, 0xA4, 0xFF, Wide(628)},
      {Big5, 0xA5, 0x40, Wide(628)},   {Big5, 0xFA, 0x40, Blank},       {Big5, 0xA1, 0x00, Wide(-64)},
      {Big5, 0xA2, 0x00, Wide(93)},    {Sjis, 0x88, 0x9F, Wide(1418)},  {Sjis, 0xE0, 0x40, Wide(5859)},
      {Sjis, 0x81, 0x7F, Wide(63)},    {Sjis, 0xEC, 0xFC, Wide(8315)},  {Sjis, 0x81, 0x00, Wide(-64)},
      {Sjis, 0xED, 0x40, Blank},       {Sjis, 0xFC, 0x40, Blank},       {Single, 0x00, 0, Narrow(0x00)},
      {Single, 0xB1, 0, Narrow(0xB1)}, {Single, 0xFF, 0, Narrow(0xFF)}};
  for (const auto& [lookup, first, second, offset] : complete) {
    UseFont(lookup == Big5 ? Big5Font : lookup == Sjis ? SjisFont : GbFont);
    EXPECT_EQ(OffsetOf(lookup, first, second), offset) << lookup << std::hex << " " << first << " " << second;
  }
  // A short font draws blank where a glyph is not wholly inside; so does none.
  constexpr size_t Part = 4096 + 32 + 20, Few = 16 * 0x41 + 15, None = 0;
  const std::tuple<size_t, Lookup, int, int, int64_t> cut[] = {
      {Part, Gb, 0xA1, 0xA1, Wide(0)}, {Part, Gb, 0xA1, 0xA2, Blank},        {Part, Big5, 0xF9, 0xFE, Blank},
      {Part, Sjis, 0xEC, 0xFC, Blank}, {Few, Single, 0x40, 0, Narrow(0x40)}, {Few, Single, 0x41, 0, Blank},
      {None, Single, 'A', 0, Blank},   {None, Gb, 0xB0, 0xA1, Blank}};
  for (const auto& [size, lookup, first, second, offset] : cut) {
    UseFont(size);
    EXPECT_EQ(OffsetOf(lookup, first, second), offset) << size << " " << lookup << std::hex << " " << first;
  }
  UseFont(5000);
  for (int h = 0; h < 256; ++h)
    for (int l = 0; l < 256; ++l)
      for (Lookup lookup : {Gb, Big5, Sjis}) {
        int64_t offset = OffsetOf(lookup, h, l);
        ASSERT_TRUE(offset == Blank || offset + 32 <= 5000) << lookup << " " << h << " " << l;
      }
}

TEST(FontLoad, TheFontOfTheCodeComesFromBesideTheProgramOrItsFailureIsShown) {
  ScratchFolder folder;
  SetModulePath(folder.File("zk").c_str());
  WriteFile(folder.File("ZKFT16.FON"), MakeMarkedFont(Big5Font));
  const std::string gbFont = folder.File("ZKJT16.FON"), shortFile = ShortReadingFile();
  // The code and what lies where the GB font belongs; then the message and the
  // font left: the previous one after a failed open or a file of the wrong size.
  enum Kind { Nothing, Empty, ReadsShort };
  const std::tuple<int, Kind, std::string, size_t> cases[] = {
      {CodeBig5, Nothing, "", Big5Font},
      {CodeGb, Nothing, "Can not open the font file: " + gbFont, 5000},
      {CodeGb, Empty, "Can not read font file!", 5000},
      {CodeGb, ReadsShort, "Can not read font file!", 5000}};
  for (const auto& [code, kind, message, sizeLeft] : cases) {
    std::filesystem::remove(gbFont);
    if (kind == Empty) WriteFile(gbFont, {});
#ifndef _WIN32  // a symbolic link needs privileges on Windows
    if (kind == ReadsShort && !shortFile.empty()) std::filesystem::create_symlink(shortFile, gbFont);
#endif
    if (kind == ReadsShort && !std::filesystem::is_symlink(gbFont)) continue;
    UseFont(5000);
    CodeType = code;
    EXPECT_EQ(LoadCodeFont(nullptr), message.empty()) << message;
    EXPECT_EQ(GlyphFont.size, sizeLeft) << message;
    EXPECT_EQ(Shown(), (message.empty() ? Messages{} : Messages{{message, StyleStop}}));
    EXPECT_TRUE(message.empty() || OffsetOf(Gb, 0xB0, 0xA1) == Blank) << message;
  }
  // Each failed allocation shows message 5 and leaves no font.
  CodeType = CodeBig5;
  FailEachAllocation([] { UseFont(5000); }, [] { return LoadCodeFont(nullptr); },
                     [](int allowed) {
                       EXPECT_EQ(Shown(), (Messages{{"Can not alloc memory!", StyleStop}})) << allowed;
                       EXPECT_EQ(GlyphFont.size, 0u);
                       EXPECT_EQ(OffsetOf(Single, 'A', 0), Blank);
                       EXPECT_EQ(OffsetOf(Gb, 0xA1, 0xA1), Blank);
                     });
  EXPECT_EQ(OffsetOf(Big5, 0xA4, 0x40), Wide(471));
}

TEST(RenderLine, RowsCoverTheViewOrTheLineAndEachByteTakesItsCellsInTheCurrentCode) {
  const std::tuple<int, int, int> widths[] = {{640, 80, 82},   {645, 80, 82}, {640, 100, 102}, {640, 81, 84},
                                              {1000, 16, 128}, {0, 16, 18},   {-50, 16, 18},   {-100, -100, 2}};
  for (const auto& [clientWidth, charsPerLine, bytesPerRow] : widths)
    EXPECT_EQ(ComputeBytesPerRow(clientWidth, charsPerLine), bytesPerRow) << clientWidth << " " << charsPerLine;
  const std::tuple<int, int, int> spacings[] = {{3, 19, 1}, {0, 16, 0}, {40, 32, 8}, {8, 24, 4}};
  for (const auto& [spacing, lineHeight, glyphTop] : spacings) {
    Settings.lineSpacing = spacing;
    ASSERT_TRUE(AllocateLineBitmap(nullptr, 640));
    EXPECT_EQ(std::make_pair(LineBitmap.lineHeight, GlyphTop()), std::make_pair(lineHeight, glyphTop)) << spacing;
  }
  UseFont(Big5Font);
  const int All = -1000;
  // Code, view width (0: 16 + 2 cells), bytes, count, bytes readable; cells and wide glyph drawn. A lead
  // byte eats a LF; one at the end pairs with the byte after, or 0; nothing goes past the bitmap.
  const std::tuple<int, int, Bytes, int, size_t, std::string, int> cases[] = {
      {CodeGb, 640, ToBytes("ab\tc"), All, 4, "ab      c", 0},
      {CodeGb, 640, ToBytes("\r\nx"), All, 3, "  x", 0},
      {CodeGb, 640, {0xB0, 0xA1, 'z'}, All, 3, "<>z", 1410},
      {CodeGb, 640, {0xB0, '\n', 'z'}, All, 3, "  z", 0},
      {CodeGb, 640, {0x95, 0xB0, 0xA1}, All, 3, "\x95<>", 1410},
      {CodeGb, 640, {0xA0, 0xFF, 0xFE, 0xA1, 0xA1, 0xA1}, All, 6, "\xA0\xFF  <>", 0},
      {CodeShiftJis, 640, {0xB1, 0xE0, 0x40}, All, 3, "\xB1<>", 5859},
      {CodeShiftJis, 640, {0x80, 0xA0, 0xDF, 0xFD, 0x9F, 0x40}, All, 6, "\x80\xA0\xDF\xFD<>", 5670},
      {CodeShiftJis, 640, {0xFC, 0x40, 0x81, 0x40}, All, 4, "  <>", 0},
      {CodeBig5, 640, {0xA4, 0x40}, All, 2, "<>", 471},
      {CodeBig5, 640, {0xA0, 0xFF, 0xFE, 0x40, 0xA1, 0x40}, All, 6, "\xA0\xFF  <>", 0},
      {CodeGb, 640, {'a', 0xB0, 0xA1}, 2, 3, "a<>", 1410},
      {CodeGb, 640, {'a', 0xB0, 0xA1}, 2, 2, "a  ", 0},
      {CodeGb, 640, ToBytes("ab"), 2, 0, "ab", 0},  // the count is always readable
      {CodeGb, 0, Join({Bytes(17, 'a'), {0xB0, 0xA1, 'b'}}), All, 20, std::string(17, 'a') + "<", 1410},
      {CodeGb, 0, Join({Bytes(17, 'a'), ToBytes("\tz")}), All, 19, std::string(17, 'a') + " ", 0},
      {CodeGb, 0, Bytes(500, 'a'), All, 500, std::string(18, 'a'), 0},
      {CodeGb, 640, ToBytes("ab"), 0, 2, "", 0},
      {CodeGb, 640, ToBytes("ab"), -4, 2, "", 0}};
  for (const auto& [code, clientWidth, bytes, count, readable, cells, glyph] : cases) {
    CodeType = code;
    Settings.charsPerLine = clientWidth == 0 ? 16 : 80;
    ASSERT_TRUE(AllocateLineBitmap(nullptr, clientWidth));
    Bytes ink(LineBitmap.bytesPerRow, 0xB0);
    RenderLine(ink.data(), static_cast<int>(ink.size()), ink.size());
    RenderLine(bytes.data(), count == All ? static_cast<int>(bytes.size()) : count, readable);
    EXPECT_EQ(BitmapHeld(), Drawn(cells, glyph)) << std::string(bytes.begin(), bytes.end()) << " " << count;
  }
  // Without a font every glyph is blank; glyphs outside the bitmap are not drawn.
  UseFont(0);
  RenderLine(Bytes{'a', 0xB0, 0xA1}.data(), 3, 3);
  const Bytes ink(32, 0xFF);
  PutNarrowGlyph(-1, ink.data());
  PutWideGlyph(LineBitmap.bytesPerRow, ink.data());
  PutNarrowGlyph(LineBitmap.bytesPerRow + 5, ink.data());
  EXPECT_EQ(BitmapHeld(), Drawn(""));
  LineBitmap.bits.reset();
  PutNarrowGlyph(0, ink.data());
  PutWideGlyph(0, ink.data());
  UseFont(GbFont);
  FailEachAllocation([] { ASSERT_TRUE(AllocateLineBitmap(nullptr, 640)); },
                     [] { return AllocateLineBitmap(nullptr, 640); },
                     [](int allowed) {
                       EXPECT_EQ(Shown(), (Messages{{"Can not alloc memory!", StylePlain}})) << allowed;
                       EXPECT_EQ(LineBitmap.bits, nullptr);
                       RenderLine(ToBytes("x").data(), 1, 1);
                       EXPECT_EQ(LineBitmap.bits, nullptr);
                     });
  EXPECT_EQ(BitmapHeld(), Drawn(""));
}
