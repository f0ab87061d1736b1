// Reading a text, decoding HZ and breaking the text into display lines (the fast forms against the
// byte rules), and drawing the lines with the glyphs of the font of the current code.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "shell/view_state.h"
#include "tests/reference_rules.h"
#include "tests/test_support.h"

namespace {
using Entries = std::vector<uint32_t>;
using Messages = std::vector<std::pair<std::string, int>>;

Bytes TextHeld() { return Bytes(Document.text.get(), Document.text.get() + Document.textLength); }
Entries IndexHeld() {
  const uint32_t* index = Document.LineIndex.get();
  return !index ? Entries{} : Entries(index, index + Document.lineCount + 1);
}

// The text and style of every message shown since the last look, cleared.
Messages Shown() {
  Messages shown;
  for (const HeadlessPrompt& prompt : HeadlessPrompts()) shown.emplace_back(prompt.text, prompt.style);
  ClearHeadlessPrompts();
  return shown;
}
// Something was shown, all of it "Can not alloc memory!" without an icon, and no lines are left.
void ExpectMessageFiveAndNoLines(int allowed) {
  Messages shown = Shown();
  EXPECT_EQ(shown, Messages(std::max<size_t>(shown.size(), 1), {"Can not alloc memory!", StylePlain})) << allowed;
  EXPECT_EQ(Document.lineCount, 0) << allowed;
}

// `in` decoded into a buffer of its own, in place, or by the byte rule.
enum HzForm { Apart, InPlace, ByteRule };
Bytes Decoded(Bytes in, HzForm form) {
  Bytes out(in.size() + 1, 0xCC);
  uint8_t* to = form == InPlace ? in.data() : out.data();
  size_t n = form == ByteRule ? DecodeHzByteByByte(in.data(), in.size(), to) : DecodeHzBytes(in.data(), in.size(), to);
  return Bytes(to, to + n);
}

// Whether BuildLineIndex gives `text` at `width` the byte rule's index and code.
bool IndexesAsTheByteRule(const Bytes& text, int width) {
  Settings.charsPerLine = width;
  if (!PutDocumentText(nullptr, text.data(), text.size()) || !BuildLineIndex(nullptr, Document.textLength))
    return false;
  ReferenceIndex rule = IndexByteByByte(text.data(), text.size(), width);
  return IndexHeld() == rule.entries && (text.empty() || CodeType == rule.code);
}

// Texts of the bytes that decide: first and second bytes of every code, TAB, LF, CR, now and then a
// Ctrl-Z; profile 0 is plain GB text, 1 mostly high bytes, 2 mostly control bytes.
Bytes RandomText(std::minstd_rand& random, size_t length, int profile) {
  static const uint8_t Deciding[] = {0x09, 0x0A, 0x0D, 0x00, 0x40, 0x7E, 0x80, 0x81, 0xA0, 0xA1, 0xB0, 0xFE};
  Bytes text;
  while (text.size() < length) {
    const auto pick = random() % 100;
    if (pick == 0 && random() % 4 == 0)
      text.push_back(0x1A);
    else if (profile == 0 && pick < 70)
      text.insert(text.end(), {uint8_t(0xB0 + random() % 40), uint8_t(0xA1 + random() % 94)});
    else if (profile == 0 && pick < 75)
      text.insert(text.end(), {'\r', '\n'});
    else if (profile == 1 && pick < 80)
      text.push_back(uint8_t(0x80 + random() % 128));
    else
      text.push_back(pick < 90 ? Deciding[random() % sizeof Deciding] : uint8_t('a' + random() % 26));
  }
  text.resize(length);
  return text;
}

constexpr size_t GbFont = 265792, Big5Font = 451232, SjisFont = 270208;
constexpr int64_t Blank = -1;

// Makes a marked font of `size` bytes the loaded one; 0: no font.
void UseFont(size_t size) {
  Bytes bytes = MakeMarkedFont(size);
  GlyphFont.bytes = size == 0 ? nullptr : AllocateZeroed<uint8_t>(size);
  std::copy(bytes.begin(), bytes.end(), GlyphFont.bytes.get());
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

// The bitmap as the marked font draws `cells` from the left, the rest clear: ' ' is a blank cell,
// '<' and '>' the halves of wide glyph g, any other character its single-byte glyph.
Bytes Drawn(const std::string& cells, int g = 0) {
  Bytes bits(static_cast<size_t>(LineBitmap.bytesPerRow) * LineBitmap.lineHeight, 0);
  for (size_t cell = 0; cell < cells.size(); ++cell) {
    for (int k = 0, c = static_cast<uint8_t>(cells[cell]); k < 16; ++k) {
      int at = 2 * k + (c == '>'), wide = at == 0 ? (g + 1) & 0xFF : at == 1 ? (g + 1) >> 8 : at;
      int ink = c == ' ' ? 0 : c == '<' || c == '>' ? wide : c ^ k;
      bits[(GlyphTop() + k) * LineBitmap.bytesPerRow + cell] = uint8_t(ink);
    }
  }
  return bits;
}
Bytes BitmapHeld() {
  if (!LineBitmap.bits) return {};
  return Bytes(LineBitmap.bits.get(), LineBitmap.bits.get() + LineBitmap.bytesPerRow * LineBitmap.lineHeight);
}
}  // namespace

TEST(HzDecode, EscapesVanishGbModeSetsBitSevenPairByPairAndInPlaceEqualsTheByteRule) {
  // A tilde before a line end vanishes and ends GB mode, which alone crosses line ends;
  // escapes stand where a pair starts: a second byte may be a tilde (GB 0xFE).
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {{"", ""}, {"~{!!~}", "\xA1\xA1"}, {"~~{", "~{"},
      {"~{~~~}", "\xFE"}, {"x~y", "x~y"}, {"x~", "x~"}, {"~{ a", "\xA0\xE1"}, {"~{~", "\xFE"}, {"a~\r\n", "a\r\n"},
      {"~{!!~\n!!", "\xA1\xA1\n!!"}, {"~{!!\r\n~}x", "\xA1\xA1\x8D\x8Ax"}, {"~{0~~}", "\xB0\xFE"},
      {"~{1!0~~}.\r\n", "\xB1\xA1\xB0\xFE.\r\n"}, {"~{0~0!~}", "\xB0\xFE\xB0\xA1"}};
  // clang-format on
  for (const auto& [in, out] : cases)
    for (HzForm form : {Apart, InPlace, ByteRule}) EXPECT_EQ(Decoded(ToBytes(in), form), ToBytes(out)) << in << form;
  // HZ of every escape, tildes where pairs start and where not, line ends in both modes.
  static const char* const Pieces[] = {"~{", "~}", "~~", "~\n", "~\r", "~", "\r\n", "!!", "0", "a~b", "\xB0", "QR"};
  std::minstd_rand random(11);
  for (size_t length = 0; length <= 300; ++length) {
    for (int round = 0; round < 10; ++round) {
      std::string in;
      while (in.size() < length) in += Pieces[random() % 3 == 0 ? 11 : random() % 11];
      const Bytes text = ToBytes(in.substr(0, length)), expected = Decoded(text, ByteRule);
      ASSERT_EQ(std::make_pair(Decoded(text, Apart), Decoded(text, InPlace)), std::make_pair(expected, expected)) << in;
    }
  }
}

TEST(LineIndex, LineEndsTabsCtrlZAndTheCodeFollowTheByteRuleAndFailedAllocationsLeaveNoLines) {
  const int Unchanged = -1;
  auto a = [](size_t n, const Bytes& tail = {}) { return Join({Bytes(n, 'a'), tail}); };
  // No empty line follows a full one; a CR filling the last cell takes the LF too; a double-byte character
  // in the last cell stays whole; tabs run to the next stop, may end the line and restart each line;
  // Ctrl-Z ends the text for good, for the code too; the second-byte flag survives a LF and a width
  // break ("@" and "A" after them are second bytes: Big5); Shift JIS wins over Big5, Big5 over GB.
  // clang-format off
  const std::tuple<Bytes, Entries, int> cases[] = {{{}, {}, Unchanged}, {a(160), {0, 80, 160}, CodeGb},
      {ToBytes("ab\r\ncd"), {0, 4, 6}, CodeGb}, {ToBytes("\n\n"), {0, 1, 2}, CodeGb},
      {a(80, ToBytes("\r\n")), {0, 80, 82}, CodeGb}, {a(79, ToBytes("\r\nx")), {0, 80, 81, 82}, CodeGb},
      {a(79, {0xB0, 0xA1, 'b'}), {0, 81, 82}, CodeGb}, {a(78, {0xB0, 0xA1, 0xB0, 0xA1}), {0, 80, 82}, CodeGb},
      {a(75, ToBytes("\tz")), {0, 76, 77}, CodeGb},
      {Join({ToBytes("abc\t"), a(72, ToBytes("y"))}), {0, 76, 77}, CodeGb},
      {a(80, Join({ToBytes("b\t"), a(72, ToBytes("d"))})), {0, 80, 154, 155}, CodeGb},
      {ToBytes("A\032B"), {0, 1}, CodeGb}, {ToBytes("\032B"), {0}, CodeGb},
      {{0xB0, 0xA1, 0x1A, 0x82, 0xA0}, {0, 2}, CodeGb}, {{0xB0, '\n', '@'}, {0, 2, 3}, CodeBig5},
      {a(79, {0xB0, '\t', 0x41}), {0, 81, 82}, CodeBig5}, {{0xB0, 0xA1, 0xC4, 0xE3}, {0, 4}, CodeGb},
      {{0xB0, 0xA1, 0xA4, 0x40}, {0, 4}, CodeBig5}, {{0xA4, 0x40, 0x82, 0xA0}, {0, 4}, CodeShiftJis},
      {{0x82, 0xA0, 0xA4, 0x40}, {0, 4}, CodeShiftJis}, {{0xA0, 0xA1}, {0, 2}, CodeShiftJis},
      {{0xA1, 0xA1}, {0, 2}, CodeGb}};
  // clang-format on
  for (const auto& [text, entries, code] : cases) {
    CodeType = Unchanged;
    EXPECT_TRUE(IndexesAsTheByteRule(text, 80)) << std::string(text.begin(), text.end());
    EXPECT_EQ(std::make_pair(IndexHeld(), CodeType), std::make_pair(entries, code))
        << std::string(text.begin(), text.end());
  }
  // The storage grows geometrically: a fixed step would copy the index again
  // and again, and opening a file of many lines would take minutes.
  Bytes text(1000000, '\n');
  ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
  FailAllocationsAfter(40);
  EXPECT_TRUE(BuildLineIndex(nullptr, Document.textLength));
  FailAllocationsAfter(-1);
  EXPECT_EQ(IndexHeld(), IndexByteByByte(text.data(), text.size(), 80).entries);
  // A length past the text is cut to it, and the view returns to the top.
  ViewState.firstLine = 12;
  EXPECT_TRUE(BuildLineIndex(nullptr, 3000000));
  EXPECT_EQ(std::make_tuple(Document.textLength, Document.lineCount, ViewState.firstLine),
            std::make_tuple(1000000u, 1000000, 0));
  // Each failed allocation shows message 5 and leaves no lines; the storage grows, keeping entries
  // free past the last, for the unfinished last line and before it.
  for (size_t feeds : {1019, 2038}) {
    text = Join({Bytes(feeds, '\n'), ToBytes("x")});
    auto build = [&] { return PutDocumentText(nullptr, text.data(), text.size()) && BuildLineIndex(nullptr, 4000); };
    FailEachAllocation(ClearDocument, build, ExpectMessageFiveAndNoLines);
    EXPECT_EQ(IndexHeld(), IndexByteByByte(text.data(), text.size(), 80).entries);
    EXPECT_GE(Document.lineIndexCapacity, Document.lineCount + 1 + LineIndexFreeEntries);
  }
}

TEST(LineIndex, TheBlockScanEqualsTheByteRuleOnRandomTextsAndWhereLinesAndBlocksMeet) {
  std::minstd_rand random(7);
  for (size_t length = 0; length <= 300; ++length) {
    for (int width = 16; width <= 96; width += 1 + static_cast<int>(length % 3))
      ASSERT_TRUE(IndexesAsTheByteRule(RandomText(random, length, static_cast<int>(length % 3)), width)) << width;
    ASSERT_TRUE(IndexesAsTheByteRule(RandomText(random, length, 1), 512)) << length;
  }
  for (int round = 0; round < 30; ++round) {
    Bytes text = RandomText(random, 20000 + random() % 20000, round % 3);
    for (int width : {16, 17, 63, 64, 65, 80, 81, 127, 512}) ASSERT_TRUE(IndexesAsTheByteRule(text, width)) << width;
  }
  // Each pattern moved along by every offset meets the end of a display line
  // and the edges of the 64-byte blocks at every cell: a first byte in the
  // last cell and past it, a TAB across the line end, CR LF split, the second
  // byte awaited across TAB, CR, LF and a break, Ctrl-Z after a first byte.
  // clang-format off
  const Bytes patterns[] = {{0xB0, 0xA1}, {0xB0, 0xB0, 0xB0, 'a'}, {0xB0, '\r', '\n', 0xA1}, {0xB0, '\t', 0xA1, '\t'},
      {0xB0, '\n', 0xA1, 'b', '\n'}, {'\r', '\n'}, {'\t', 'x', '\t', '\t'}, {0xB0, 0x1A, 0xA1},
      {0x81, 0x40, 0xA4, 0x40}, {0xA4, 0x7E, 0xA4, 0xA1}, {'a', 0xB0}};
  // clang-format on
  for (const Bytes& pattern : patterns) {
    for (size_t offset = 0; offset <= 140; ++offset) {
      Bytes text(offset, 'a');
      for (int copies = 0; copies < 3; ++copies) text.insert(text.end(), pattern.begin(), pattern.end());
      for (int width : {16, 17, 63, 64, 65, 79, 80, 81, 512})
        ASSERT_TRUE(IndexesAsTheByteRule(text, width)) << "pattern of " << pattern.size() << " at " << offset;
    }
  }
}

TEST(DocumentLoad, TheFileArrivesWholeOrItsFailureIsShownAndLeavesTheEarlierDocument) {
  ScratchFolder folder;
  const std::string file = folder.File("a.txt"), missing = folder.File("missing.gb"), dir = folder.path.string();
  const std::string shortFile = ShortReadingFile();  // empty where the system has none
  // Offsets are 32-bit: a file of 4 GiB or more read modulo 4 GiB would show
  // a few of its bytes as if they were the whole. Sparse: they take no disk.
  const std::string large[] = {folder.File("4G-1"), folder.File("4G"), folder.File("4G+3")};
  const uint64_t sizes[] = {0xFFFFFFFF, 0x100000000, 0x100000003};
  for (int k = 0; k < 3; ++k) WriteFile(large[k], ToBytes("x")), std::filesystem::resize_file(large[k], sizes[k]);
  // Opens `path` (with `written` in the file) over an earlier document, then sets another width and code.
  auto open = [&](const std::string& path, const Bytes& written, int supportHZ) {
    WriteFile(file, ToBytes("earlier document"));
    EXPECT_TRUE(LoadAndIndexDocument(nullptr, file.c_str()));
    std::tie(Settings.charsPerLine, Settings.supportHZ, CodeType) = std::make_tuple(20, supportHZ, int{CodeBig5});
    WriteFile(file, written);
    return LoadAndIndexDocument(nullptr, path.c_str());
  };
  // What the file holds and the HZ setting; then the text held (on one line) and the code. A failed
  // open leaves the earlier document with its lines and the code as it was, and shows its message.
  const std::string memory = "Can not alloc memory!", cannotOpen = "Can not open the file : ";
  // clang-format off
  const std::tuple<Bytes, int, Bytes, int> loads[] = {
      {{0xB0, 0xA1, '\r', '\n', 0x1A, 'z'}, 1, {0xB0, 0xA1, '\r', '\n', 0x1A, 'z'}, CodeGb},
      {ToBytes("~{!!~}"), 1, {0xA1, 0xA1}, CodeGb}, {ToBytes("~{!!~}"), 0, ToBytes("~{!!~}"), CodeGb},
      {ToBytes("~{!!\r\n"), 1, {0xA1, 0xA1, 0x8D, 0x8A}, CodeShiftJis}};
  const std::pair<std::string, Messages> failures[] = {{missing, {{cannotOpen + missing, StyleStop}}},
      {dir, {{cannotOpen + dir, StyleStop}}}, {shortFile, {{"Can not read file : " + shortFile, StylePlain}}},
      {large[0], {{memory, StylePlain}}}, {large[1], {{memory, StylePlain}}}, {large[2], {{memory, StylePlain}}}};
  // clang-format on
  for (const auto& [written, supportHZ, text, code] : loads) {
    EXPECT_TRUE(open(file, written, supportHZ));
    EXPECT_EQ(std::make_tuple(TextHeld(), Document.lineCount, CodeType, Shown()),
              std::make_tuple(text, 1, code, Messages{}));
    EXPECT_EQ(Document.text[Document.textLength], 0);
  }
  // Pages readied by two threads, or by one where no second thread starts: the text arrives whole.
  const Bytes pages(3 * 4096 + 5, 'a');
  for (const char* thread : {"", "thread"}) {
    FailSystemCall(thread);
    EXPECT_TRUE(open(file, pages, 0));
    EXPECT_EQ(TextHeld(), pages) << thread;
    FailSystemCall("");
  }
  for (const auto& [path, messages] : failures) {
    if (path.empty()) continue;
    EXPECT_FALSE(open(path, {}, 1)) << path;
    EXPECT_EQ(std::make_tuple(TextHeld(), IndexHeld(), CodeType, Shown()),
              std::make_tuple(ToBytes("earlier document"), Entries{0, 16}, int{CodeBig5}, messages))
        << path;
  }
  // An empty file is read: an empty document without lines, and no message.
  EXPECT_TRUE(open(file, {}, 1));
  EXPECT_EQ(std::make_tuple(TextHeld(), Document.lineCount, Shown()), std::make_tuple(Bytes{}, 0, Messages{}));
  // Each failed allocation shows message 5: a failed load leaves the earlier document with its lines,
  // a failed index the new text, decoded (HZ decodes in place), without lines.
  const Bytes decoded = {0xA1, 0xA1};
  WriteFile(folder.File("a.hz"), ToBytes("~{!!~}"));
  std::set<int> statesLeft;  // 0: the earlier document, 1: the new one without lines, 2: anything else
  FailEachAllocation([&] { open(file, ToBytes("earlier document"), 1); },
                     [&] {
                       return LoadAndIndexDocument(nullptr, folder.File("a.hz").c_str()) && Document.lineCount > 0 &&
                              HeadlessPrompts().empty();
                     },
                     [&](int allowed) {
                       EXPECT_EQ(Shown(), (Messages{{"Can not alloc memory!", StylePlain}})) << allowed;
                       EXPECT_EQ(Document.text[Document.textLength], 0) << allowed;
                       const Bytes held = TextHeld();
                       bool earlier = held == ToBytes("earlier document") && IndexHeld() == Entries{0, 16};
                       statesLeft.insert(earlier ? 0 : held == decoded && Document.lineCount == 0 ? 1 : 2);
                     });
  EXPECT_EQ(TextHeld(), decoded);
  EXPECT_EQ(statesLeft, (std::set<int>{0, 1}));
}

TEST(Glyphs, TheFontOfTheCodeComesFromBesideTheProgramEachCharacterFindsItsGlyphAndTakesItsCells) {
  ScratchFolder folder;
  const std::string gbFont = folder.File("ZKJT16.FON"), shortFile = ShortReadingFile();
  constexpr size_t Part = 4096 + 32 + 20, Few = 16 * 0x41 + 15, None = 0;
  // GB rows of 94; Big5 rows of 157 with 0x7F..0xA0 repeating 0x5D..0x7E and bytes below 0x40 reaching
  // back; Shift JIS rows of 189 in two blocks. A short font draws blank where a glyph is not wholly
  // inside; so does none. Loading: the code, and whether the GB font reads short (else it is missing);
  // then the message and the font left: the previous one after a failed open or a file of the wrong size.
  const int All = -1000, G = CodeGb, S = CodeShiftJis, B = CodeBig5;
  const std::string a17(17, 'a');
  // View width and cells; then the bytes of a row. Line spacing; then the line height and the rows above
  // the glyphs. Code, view width (0: 16 + 2 cells), bytes, count, bytes readable; then the cells and wide
  // glyph drawn. A first byte eats a LF; one at the end pairs with the byte after, or 0; the count is
  // always readable; nothing goes past the bitmap.
  // clang-format off
  const std::tuple<Lookup, int, int, int64_t> complete[] = {{Gb, 0xA1, 0xA1, Wide(0)}, {Gb, 0xB0, 0xA1, Wide(1410)},
      {Gb, 0xF7, 0xFE, Wide(8177)}, {Gb, 0xB0, 0xFF, Wide(1504)}, {Gb, 0xF7, 0xFF, Blank}, {Gb, 0xF8, 0xA1, Blank},
      {Gb, 0xB0, 0x41, Blank}, {Gb, 0xA0, 0xA1, Blank}, {Big5, 0xA4, 0x40, Wide(471)}, {Big5, 0xA4, 0xA1, Wide(534)},
      {Big5, 0xF9, 0xFE, Wide(13972)}, {Big5, 0xA4, 0x5D, Wide(500)}, {Big5, 0xA4, 0x7F, Wide(500)},
      {Big5, 0xA4, 0xA0, Wide(533)}, {Big5, 0xA4, 0xFF, Wide(628)}, {Big5, 0xA5, 0x40, Wide(628)},
      {Big5, 0xFA, 0x40, Blank}, {Big5, 0x00, 0x40, Blank}, {Big5, 0xA1, 0x00, Wide(-64)}, {Big5, 0xA2, 0x00, Wide(93)},
      {Sjis, 0x88, 0x9F, Wide(1418)}, {Sjis, 0xE0, 0x40, Wide(5859)}, {Sjis, 0x81, 0x7F, Wide(63)},
      {Sjis, 0xEC, 0xFC, Wide(8315)}, {Sjis, 0x81, 0x00, Wide(-64)}, {Sjis, 0xED, 0x40, Blank},
      {Sjis, 0xFC, 0x40, Blank}, {Single, 0x00, 0, Narrow(0x00)}, {Single, 0xB1, 0, Narrow(0xB1)},
      {Single, 0xFF, 0, Narrow(0xFF)}};
  const std::tuple<size_t, Lookup, int, int, int64_t> cut[] = {{Part, Gb, 0xA1, 0xA1, Wide(0)},
      {Part, Gb, 0xA1, 0xA2, Blank}, {Part, Big5, 0xF9, 0xFE, Blank}, {Part, Sjis, 0xEC, 0xFC, Blank},
      {Few, Single, 0x40, 0, Narrow(0x40)}, {Few, Single, 0x41, 0, Blank}, {None, Single, 'A', 0, Blank},
      {None, Gb, 0xB0, 0xA1, Blank}};
  const std::tuple<int, int, std::string, size_t> loads[] = {{CodeBig5, 0, "", Big5Font},
      {CodeGb, 0, "Can not open the font file: " + gbFont, 5000}, {CodeGb, 1, "Can not read font file!", 5000},
      {CodeBig5, 2, "Can not read font file!", Big5Font}};
  const std::tuple<int, int, int> widths[] = {{640, 80, 82}, {645, 80, 82}, {640, 100, 102}, {640, 81, 84},
      {1000, 16, 128}, {0, 16, 18}, {-50, 16, 18}, {-100, -100, 2}};
  const std::tuple<int, int, int> spacings[] = {{3, 19, 1}, {0, 16, 0}, {40, 32, 8}, {8, 24, 4}};
  const std::tuple<int, int, Bytes, int, size_t, std::string, int> cases[] = {
      {G, 640, ToBytes("ab\tc"), All, 4, "ab      c", 0}, {G, 640, ToBytes("\r\nx"), All, 3, "  x", 0},
      {G, 640, {0xB0, 0xA1, 'z'}, All, 3, "<>z", 1410}, {G, 640, {0xB0, '\n', 'z'}, All, 3, "  z", 0},
      {G, 640, {0x95, 0xB0, 0xA1}, All, 3, "\x95<>", 1410},
      {G, 640, {0xA0, 0xFF, 0xFE, 0xA1, 0xA1, 0xA1}, All, 6, "\xA0\xFF  <>", 0},
      {S, 640, {0xB1, 0xE0, 0x40}, All, 3, "\xB1<>", 5859}, {S, 640, {0xFC, 0x40, 0x81, 0x40}, All, 4, "  <>", 0},
      {S, 640, {0x80, 0xA0, 0xDF, 0xFD, 0x9F, 0x40}, All, 6, "\x80\xA0\xDF\xFD<>", 5670},
      {B, 640, {0xA4, 0x40}, All, 2, "<>", 471},
      {B, 640, {0xA0, 0xFF, 0xFE, 0x40, 0xA1, 0x40}, All, 6, "\xA0\xFF  <>", 0},
      {G, 640, {'a', 0xB0, 0xA1}, 2, 3, "a<>", 1410}, {G, 640, {'a', 0xB0, 0xA1}, 2, 2, "a  ", 0},
      {G, 640, ToBytes("ab"), 2, 0, "ab", 0}, {G, 640, ToBytes("ab"), 0, 2, "", 0},
      {G, 640, ToBytes("ab"), -4, 2, "", 0},
      {G, 0, Join({Bytes(17, 'a'), {0xB0, 0xA1, 'b'}}), All, 20, a17 + "<", 1410},
      {G, 0, Join({Bytes(17, 'a'), ToBytes("\tz")}), All, 19, a17 + " ", 0},
      {G, 0, Bytes(500, 'a'), All, 500, std::string(18, 'a'), 0}};
  // clang-format on
  for (const auto& [lookup, first, second, offset] : complete) {
    UseFont(lookup == Big5 ? Big5Font : lookup == Sjis ? SjisFont : GbFont);
    EXPECT_EQ(OffsetOf(lookup, first, second), offset) << lookup << std::hex << " " << first << " " << second;
  }
  for (const auto& [size, lookup, first, second, offset] : cut) {
    UseFont(size);
    EXPECT_EQ(OffsetOf(lookup, first, second), offset) << size << " " << lookup << std::hex << " " << first;
  }
  SetModulePath(folder.File("zk").c_str());
  WriteFile(folder.File("ZKFT16.FON"), MakeMarkedFont(Big5Font));
  for (const auto& [code, failure, message, sizeLeft] : loads) {
    std::filesystem::remove(gbFont);
#ifndef _WIN32  // a symbolic link needs privileges on Windows
    if (failure == 1 && !shortFile.empty()) std::filesystem::create_symlink(shortFile, gbFont);
#endif
    // The font that reads short; the second read of the font failing.
    if ((failure == 1 && !std::filesystem::is_symlink(gbFont)) || !FailSystemCall(failure == 2 ? "fread" : "", 1))
      continue;
    UseFont(5000);
    CodeType = code;
    EXPECT_EQ(LoadCodeFont(nullptr), message.empty()) << message;
    EXPECT_EQ(GlyphFont.size, sizeLeft) << message;
    EXPECT_EQ(Shown(), (message.empty() ? Messages{} : Messages{{message, StyleStop}}));
    // Glyph 0 lies in the first piece read, glyph 2000 after it: blank when that read failed.
    if (const uint8_t* font = GlyphFont.bytes.get(); sizeLeft == Big5Font) {
      EXPECT_EQ(MarkedGlyphNumber(font + Wide(0)) + MarkedGlyphNumber(font + Wide(2000)), message.empty() ? 2000 : -1);
    }
  }
  // Each failed allocation shows message 5 and leaves no font.
  CodeType = CodeBig5;
  FailEachAllocation([] { UseFont(5000); }, [] { return LoadCodeFont(nullptr); },
                     [](int allowed) {
                       EXPECT_EQ(Shown(), (Messages{{"Can not alloc memory!", StyleStop}})) << allowed;
                       EXPECT_EQ(GlyphFont.size, 0u);
                       EXPECT_EQ(std::make_pair(OffsetOf(Single, 'A', 0), OffsetOf(Gb, 0xA1, 0xA1)),
                                 std::make_pair(Blank, Blank));
                     });
  EXPECT_EQ(OffsetOf(Big5, 0xA4, 0x40), Wide(471));
  for (const auto& [clientWidth, charsPerLine, bytesPerRow] : widths)
    EXPECT_EQ(ComputeBytesPerRow(clientWidth, charsPerLine), bytesPerRow) << clientWidth << " " << charsPerLine;
  for (const auto& [spacing, lineHeight, glyphTop] : spacings) {
    Settings.lineSpacing = spacing;
    ASSERT_TRUE(AllocateLineBitmap(nullptr, 640));
    EXPECT_EQ(std::make_pair(LineBitmap.lineHeight, GlyphTop()), std::make_pair(lineHeight, glyphTop)) << spacing;
  }
  UseFont(Big5Font);
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
                       RenderLine(ToBytes("x").data(), 1, 1);
                       EXPECT_EQ(LineBitmap.bits, nullptr);
                     });
  EXPECT_EQ(BitmapHeld(), Drawn(""));
}
