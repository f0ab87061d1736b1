// Reading a text, decoding HZ and breaking the text into display lines (the fast forms against the
// byte rules), and drawing the lines with the glyphs of the font of the current code.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/memory.h"
#include "base/program_path.h"
#include "base/prompts_headless.h"
#include "base/settings_values.h"
#include "document/detect_code.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/glyph_font.h"
#include "document/glyph_marks.h"
#include "document/hz_decode.h"
#include "document/line_bitmap.h"
#include "document/line_index.h"
#include "document/text_search.h"
#include "document/unicode_tables.h"
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

// Whether BuildLineIndex gives `text` at `width` the byte rule's index in every code, and in the code it
// detects.
bool IndexesAsTheByteRule(const Bytes& text, int width) {
  Settings.charsPerLine = width;
  for (int asked :
       {int{CodeGb}, int{CodeBig5}, int{CodeShiftJis}, int{CodeUtf8}, int{CodeUtf16Le}, int{CodeUtf16Be}, CodeDetect}) {
    int code = asked;
    if (!PutDocumentText(nullptr, text.data(), text.size()) || !BuildLineIndex(nullptr, Document.textLength, &code))
      return false;
    if ((asked != CodeDetect && code != asked) || IndexHeld() != IndexByteByByte(text.data(), text.size(), width, code))
      return false;
  }
  return true;
}

// Texts of the bytes that decide: leads and trails of every code, GB 18030's digits, TAB, LF, CR, now
// and then a Ctrl-Z; profile 0 is plain GB text, 1 mostly high bytes, 2 mostly control bytes.
Bytes RandomText(std::minstd_rand& random, size_t length, int profile) {
  static const uint8_t Deciding[] = {0x09, 0x0A, 0x0D, 0x00, 0x30, 0x39, 0x40, 0x7E, 0x7F, 0x80, 0x81, 0xA0, 0xA1, 0xB0,
                                     0xBF, 0xC2, 0xDF, 0xE0, 0xE4, 0xED, 0xEF, 0xF0, 0xF4, 0xFC, 0xFD, 0xFE, 0xFF};
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
// '<' and '>' the halves of wide glyph g, '?' the mark of the next byte of `marks`, '[' and ']' the
// mark of its next two bytes, '{' and '}' the mark of the code point its next three bytes make, any
// other character its single-byte glyph.
Bytes Drawn(const std::string& cells, int g = 0, const std::string& marks = "") {
  Bytes bits(static_cast<size_t>(LineBitmap.bytesPerRow) * LineBitmap.lineHeight, 0);
  size_t nextMark = 0;
  uint8_t mark[32] = {};
  for (size_t cell = 0; cell < cells.size(); ++cell) {
    const int c = static_cast<uint8_t>(cells[cell]);
    if (c == '?') DrawByteMark(static_cast<uint8_t>(marks.at(nextMark++)), mark);
    if (c == '{') {
      const auto at = [&](size_t k) { return static_cast<char32_t>(static_cast<uint8_t>(marks.at(nextMark + k))); };
      DrawCodePointMark(at(0) << 16 | at(1) << 8 | at(2), mark);
      nextMark += 3;
    }
    if (c == '[')
      DrawPairMark(static_cast<uint8_t>(marks.at(nextMark)), static_cast<uint8_t>(marks.at(nextMark + 1)), mark);
    if (c == '[') nextMark += 2;
    for (int k = 0; k < 16; ++k) {
      int at = 2 * k + (c == '>'), wide = at == 0 ? (g + 1) & 0xFF : at == 1 ? (g + 1) >> 8 : at;
      int ink = c == ' '                                       ? 0
                : c == '<' || c == '>'                         ? wide
                : c == '?'                                     ? mark[k]
                : c == '[' || c == ']' || c == '{' || c == '}' ? mark[2 * k + (c == ']' || c == '}')]
                                                               : c ^ k;
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

TEST(CodeDetection, AFrameDrawnInGbBoxLinesIsGbWhileBig5HanziOnOtherBoxBytesStayBig5) {
  // Big5 reads GB 2312's box drawing as common hanzi: a text table must not turn GB text into Big5.
  const std::pair<std::string, int> rows[] = {
      // "┌────┐ │名称│ └────┘", light lines.
      {"\xA9\xB0\xA9\xA4\xA9\xA4\xA9\xA4\xA9\xA4\xA9\xB4\n\xA9\xA6\xC3\xFB\xB3\xC6\xA9\xA6\n"
       "\xA9\xB8\xA9\xA4\xA9\xA4\xA9\xA4\xA9\xA4\xA9\xBC\n",
       CodeGb},
      // "┏━━┓ ┃表┃ ┗━━┛", heavy lines.
      {"\xA9\xB3\xA9\xA5\xA9\xA5\xA9\xB7\n\xA9\xA7\xB1\xED\xA9\xA7\n\xA9\xBB\xA9\xA5\xA9\xA5\xA9\xBF\n", CodeGb},
      // Big5 "\"/usr/local\" 或 \"/\"": its hanzi lies where GB has a mixed light and heavy cross.
      {"\"/usr/local\" \xA9\xCE \"/\"", CodeBig5},
  };
  for (const auto& [text, code] : rows) {
    const Bytes bytes = ToBytes(text);
    EXPECT_EQ(DetectCode(bytes.data(), bytes.size()), code) << text;
  }
}

TEST(HzDecode, EscapesVanishGbModePairsBytesSetsBitSevenAndInPlaceEqualsTheByteRule) {
  // A tilde before a line end vanishes and ends GB mode; "~~" is a tilde in either mode; in GB mode a
  // line end stays as written and pairs start afresh after it, a first byte with no second before an
  // escape, a line end or the end stands alone as 0xFF, and a tilde that escapes nothing is a trail.
  // clang-format off
  const std::pair<std::string, std::string> cases[] = {{"", ""}, {"~{!!~}", "\xA1\xA1"}, {"~~{", "~{"},
      {"~{~~~}", "~"}, {"x~y", "x~y"}, {"x~", "x~"}, {"~{ a", "\xA0\xE1"}, {"~{~", "\xFF"}, {"~{~x", "\xFE\xF8"},
      {"a~\r\n", "a\r\n"}, {"~{!!~\n!!", "\xA1\xA1\n!!"}, {"~{!!\r\n!!~}x", "\xA1\xA1\r\n\xA1\xA1x"},
      {"~{0~~}", "\xB0\xFE"}, {"~{1!0~~}.\r\n", "\xB1\xA1\xB0\xFE.\r\n"}, {"~{0~0!~}", "\xB0\xFE\xB0\xA1"},
      {"~{0~}x", "\xFFx"}, {"~{!!0\r\n!!~}", "\xA1\xA1\xFF\r\n\xA1\xA1"}, {"~{0", "\xFF"}, {"~{0~{!!", "\xFF\xA1\xA1"},
      {"~{0~", "\xB0\xFE"}, {"~{0~\n!", "\xFF\n!"}};
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
      // Decoded in steps up to any limit, the mode carried, it comes out the same.
      for (size_t limit : {size_t{1}, size_t{2}, size_t{3}, length / 2 + 1}) {
        Bytes out(text.size() + 1);
        size_t written = 0;
        bool gbMode = false;
        for (size_t at = 0; at < text.size();) {
          const size_t to = std::min(text.size(), at + limit);
          written += DecodeHzSteps(text.data(), at, to, text.size(), out.data() + written, &gbMode, &at);
        }
        ASSERT_EQ(Bytes(out.begin(), out.begin() + static_cast<std::ptrdiff_t>(written)), expected) << in << limit;
      }
    }
  }
  // Only a text that holds "~{" is HZ: others keep every tilde.
  const std::pair<std::string, std::string> texts[] = {
      {"a~~b~\r\n", "a~~b~\r\n"}, {"a~~b ~{!!", "a~b \xA1\xA1"}, {"\xB8\x7E\n", "\xB8\x7E\n"}};
  for (const auto& [in, out] : texts) {
    ASSERT_TRUE(PutDocumentText(nullptr, ToBytes(in).data(), in.size()));
    Document.textLength = static_cast<uint32_t>(DecodeHzText(Document.text.get(), Document.textLength));
    EXPECT_EQ(TextHeld(), ToBytes(out)) << in;
  }
}

TEST(LineIndex, LineEndsTabsCtrlZAndPairsFollowTheByteRuleOfEachCodeAndFailedAllocationsLeaveNoLines) {
  auto a = [](size_t n, const Bytes& tail = {}) { return Join({Bytes(n, 'a'), tail}); };
  const int G = CodeGb, B = CodeBig5, S = CodeShiftJis;
  // No empty line follows a full one; a CR filling the last cell takes the LF too; a pair in the last
  // cell stays whole; tabs run to the next stop, may end the line and restart each line; Ctrl-Z ends
  // the text for good. A lead whose next byte is no trail of its code stands alone: before a LF, a TAB,
  // 0x41 in Shift JIS is a trail, in Big5 0x80 is not; katakana stand alone in Shift JIS; GB 18030's
  // four bytes stay whole and start a line of their own where they would reach past the next cell.
  // clang-format off
  const struct { Bytes text; int code; Entries entries; } cases[] = {
      {.text = {}, .code = G, .entries = {}}, {.text = a(160), .code = G, .entries = {0, 80, 160}},
      {.text = ToBytes("ab\r\ncd"), .code = G, .entries = {0, 4, 6}}, {.text = ToBytes("\n\n"), .code = G, .entries = {0, 1, 2}},
      {.text = a(80, ToBytes("\r\n")), .code = G, .entries = {0, 80, 82}},
      {.text = a(79, ToBytes("\r\nx")), .code = G, .entries = {0, 80, 81, 82}},
      {.text = a(79, {0xB0, 0xA1, 'b'}), .code = G, .entries = {0, 81, 82}},
      {.text = a(78, {0xB0, 0xA1, 0xB0, 0xA1}), .code = G, .entries = {0, 80, 82}},
      {.text = a(75, ToBytes("\tz")), .code = G, .entries = {0, 76, 77}},
      {.text = Join({ToBytes("abc\t"), a(72, ToBytes("y"))}), .code = G, .entries = {0, 76, 77}},
      {.text = a(80, Join({ToBytes("b\t"), a(72, ToBytes("d"))})), .code = G, .entries = {0, 80, 154, 155}},
      {.text = ToBytes("A\032B"), .code = G, .entries = {0, 1}}, {.text = ToBytes("\032B"), .code = G, .entries = {0}},
      {.text = a(79, {0xB0, '\n', 'x'}), .code = G, .entries = {0, 80, 81, 82}},
      {.text = a(79, {0xB0, '\t', 0x41}), .code = G, .entries = {0, 80, 82}},
      {.text = a(79, {0x81, 0x40, 'x'}), .code = G, .entries = {0, 81, 82}},
      {.text = a(79, {0x81, 0x40, 'x'}), .code = B, .entries = {0, 81, 82}},
      {.text = a(79, {0xA4, 0x80, 'x'}), .code = B, .entries = {0, 80, 82}},
      {.text = a(79, {0xB1, 0x41, 'x'}), .code = S, .entries = {0, 80, 82}},
      {.text = a(79, {0x88, 0x9F, 'x'}), .code = S, .entries = {0, 81, 82}},
      {.text = a(77, {0x81, 0x30, 0x81, 0x30, 'x'}), .code = G, .entries = {0, 81, 82}},
      {.text = a(78, {0x81, 0x30, 0x81, 0x30, 'x'}), .code = G, .entries = {0, 78, 83}},
      {.text = a(76, {0x81, 0x30, 0x81, 0x30, 'x'}), .code = G, .entries = {0, 80, 81}},
      {.text = a(78, {0x81, 0x30, 0x81, 0x30, 'x'}), .code = B, .entries = {0, 80, 83}}};
  // clang-format on
  for (const auto& [text, code, entries] : cases) {
    int used = code;
    Settings.charsPerLine = 80;
    ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
    EXPECT_TRUE(BuildLineIndex(nullptr, Document.textLength, &used));
    EXPECT_EQ(IndexHeld(), entries) << std::string(text.begin(), text.end()) << " in " << code;
    EXPECT_TRUE(IndexesAsTheByteRule(text, 80)) << std::string(text.begin(), text.end());
  }
  // The storage grows geometrically: a fixed step would copy the index again
  // and again, and opening a file of many lines would take minutes.
  Bytes text(1000000, '\n');
  int code = CodeGb;
  ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
  FailAllocationsAfter(40);
  EXPECT_TRUE(BuildLineIndex(nullptr, Document.textLength, &code));
  FailAllocationsAfter(-1);
  EXPECT_EQ(IndexHeld(), IndexByteByByte(text.data(), text.size(), 80, CodeGb));
  // A length past the text is cut to it.
  EXPECT_TRUE(BuildLineIndex(nullptr, 3000000, &code));
  EXPECT_EQ(std::make_tuple(Document.textLength, Document.lineCount), std::make_tuple(1000000u, 1000000));
  // Each failed allocation shows message 5 and leaves no lines; the storage grows, keeping entries
  // free past the last, for the unfinished last line and before it.
  for (size_t feeds : {1019, 2038}) {
    text = Join({Bytes(feeds, '\n'), ToBytes("x")});
    auto build = [&] {
      return PutDocumentText(nullptr, text.data(), text.size()) && BuildLineIndex(nullptr, 4000, &code);
    };
    FailEachAllocation(ClearDocument, build, ExpectMessageFiveAndNoLines);
    EXPECT_EQ(IndexHeld(), IndexByteByByte(text.data(), text.size(), 80, CodeGb));
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
  // UTF-8 text as it is written: hanzi, kana, punctuation, letters, line ends, now and then a character
  // of another plane or a stray byte; blocks whole and broken, lines filling everywhere.
  // Rare: U+303F and a half-width katakana, narrow among the wide forms of their first two bytes.
  static const char* const Pieces[] = {
      "\xE4\xB8\xAD", "\xE6\x96\x87", "\xE3\x81\x82",     "\xEF\xBC\x8C", "\xE3\x80\x82", "ab",          " ", "\r\n",
      "\t",           "\xC3\xA9",     "\xF0\x9F\x98\x80", "\xB0",         "\xE3\x80\xBF", "\xEF\xBD\xB1"};
  for (int round = 0; round < 20; ++round) {
    std::string text;
    while (text.size() < 30000) text += Pieces[random() % 100 < 90 ? random() % 7 : 7 + random() % 7];
    for (int width : {16, 17, 63, 80, 81, 512}) ASSERT_TRUE(IndexesAsTheByteRule(ToBytes(text), width)) << width;
  }
  // Each pattern moved along by every offset meets the end of a display line
  // and the edges of the 64-byte blocks at every cell: a lead in the last
  // cell and past it, a TAB across the line end, CR LF split, a lead before
  // TAB, CR, LF and Ctrl-Z, GB 18030's four bytes, katakana before a lead.
  // clang-format off
  const Bytes patterns[] = {{0xB0, 0xA1}, {0xB0, 0xB0, 0xB0, 'a'}, {0xB0, '\r', '\n', 0xA1}, {0xB0, '\t', 0xA1, '\t'},
      {0xB0, '\n', 0xA1, 'b', '\n'}, {'\r', '\n'}, {'\t', 'x', '\t', '\t'}, {0xB0, 0x1A, 0xA1},
      {0x81, 0x40, 0xA4, 0x40}, {0xA4, 0x7E, 0xA4, 0xA1}, {'a', 0xB0}, {0x81, 0x30, 0x81, 0x30},
      {0xB1, 0x88, 0x9F, 0xE0}, {0xA4, 0x80, 0xA4}, {0xE4, 0xB8, 0xAD, 'a'}, {0xE4, 0xB8, 0xAD, 0xE6, 0x96, 0x87, '\t'},
      {0xE4, 0xB8, '\n', 0xAD}, {0xF0, 0x9F, 0x98, 0x80}, {0xC3, 0xA9, 0xE3, 0x80, 0x82}, {0xEF, 0xBC, 0x8C, 0x1A}};
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
      {ToBytes("~{!!\r\n"), 1, {0xA1, 0xA1, '\r', '\n'}, CodeGb}, {{0xA4, 0x40, 0xA4, 0xA1}, 1, {0xA4, 0x40, 0xA4, 0xA1}, CodeBig5},
      {{0x82, 0xA0, 0x82, 0xA2}, 1, {0x82, 0xA0, 0x82, 0xA2}, CodeShiftJis}};
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
  // glyph drawn, and the bytes marked. Bytes pair by the code's rule: a lead without its trail, a byte
  // that is no character and GB 18030's four bytes are marks, a pair outside the font's layout (and no
  // extension) the mark of its two bytes; a lead at the end pairs with the byte after when readable;
  // the count is always readable; nothing goes past the bitmap.
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
  const struct {
    int code, clientWidth;
    Bytes bytes;
    int count;
    size_t readable;
    std::string cells;
    int glyph = 0;
    std::string marks = "";
  } cases[] = {
      {G, 640, ToBytes("ab\tc"), All, 4, "ab      c"}, {G, 640, ToBytes("\r\nx"), All, 3, "  x"},
      {G, 640, {0xB0, 0xA1, 'z'}, All, 3, "<>z", 1410}, {G, 640, {0xB0, '\n', 'z'}, All, 3, "? z", 0, "\xB0"},
      {G, 640, {0x95, 0xB0, 0xA1}, All, 3, "[]?", 0, "\x95\xB0\xA1"},
      {G, 640, {0xA0, 0xFF, 0xFE, 0xA1, 0xA1, 0xA1}, All, 6, "??[]<>", 0, "\xA0\xFF\xFE\xA1"},
      {G, 640, {0x81, 0x30, 0x81, 0x30, 'z'}, All, 5, "????z", 0, "\x81\x30\x81\x30"},
      {S, 640, {0xB1, 0xE0, 0x40}, All, 3, "\xB1<>", 5859}, {S, 640, {0xFC, 0x40, 0x81, 0x40}, All, 4, "[]<>", 0, "\xFC\x40"},
      {S, 640, {0x80, 0xA0, 0xDF, 0xFD, 0x9F, 0x40}, All, 6, "??\xDF?<>", 5670, "\x80\xA0\xFD"},
      {B, 640, {0xA4, 0x40}, All, 2, "<>", 471},
      {B, 640, {0xA0, 0xFF, 0xFE, 0x40, 0xA1, 0x40}, All, 6, "??[]<>", 0, "\xA0\xFF\xFE\x40"},
      {G, 640, {'a', 0xB0, 0xA1}, 2, 3, "a<>", 1410}, {G, 640, {'a', 0xB0, 0xA1}, 2, 2, "a?", 0, "\xB0"},
      {G, 640, ToBytes("ab"), 2, 0, "ab"}, {G, 640, ToBytes("ab"), 0, 2, ""}, {G, 640, ToBytes("ab"), -4, 2, ""},
      {G, 0, Join({Bytes(17, 'a'), {0xB0, 0xA1, 'b'}}), All, 20, a17 + "<", 1410},
      {G, 0, Join({Bytes(17, 'a'), ToBytes("\tz")}), All, 19, a17 + " "},
      {G, 0, Bytes(500, 'a'), All, 500, std::string(18, 'a')}};
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
  for (const auto& [code, clientWidth, bytes, count, readable, cells, glyph, marks] : cases) {
    CodeType = code;
    Settings.charsPerLine = clientWidth == 0 ? 16 : 80;
    ASSERT_TRUE(AllocateLineBitmap(nullptr, clientWidth));
    Bytes ink(LineBitmap.bytesPerRow, 0xB0);
    RenderLine(ink.data(), static_cast<int>(ink.size()), ink.size());
    RenderLine(bytes.data(), count == All ? static_cast<int>(bytes.size()) : count, readable);
    EXPECT_EQ(BitmapHeld(), Drawn(cells, glyph, marks)) << std::string(bytes.begin(), bytes.end()) << " " << count;
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

TEST(DetectCode, EachCodeReadsTheBytesItsOwnWayAndTheMostTypicalWins) {
  // Sentences as each code writes them, some with what only the extended codes hold; a text without
  // a byte of 0x80 or above, or whose first such byte follows a Ctrl-Z, is GB; detection starts at the
  // first such byte however far in, and judges what follows it.
  const std::string gb2312 =
                        "\xD5\xE2\xCA\xC7\xD2\xBB\xB8\xF6\xBC\xF2\xB5\xA5\xB5\xC4\xB2\xE2\xCA\xD4\xA3\xAC"
                        "\xD3\xC3\xC0\xB4\xBC\xEC\xB2\xE9\xB1\xE0\xC2\xEB\xA1\xA3",
                    gbkTraditional =
                        "\xDF\x40\x82\x80\xDC\x9B\xF3\x77\xBA\xDC\xBA\xC3\xD3\xC3\xA3\xAC\xD6\x78\xD6\x78"
                        "\xC4\xE3\x82\x83\xA1\xA3",
                    gbkNames = "\xC7\xAC\xC2\xA1\xBB\xCA\xB5\xDB\xB5\xC4\xD4\x8A\xD4\x7E\xA1\xA4\xDF\x78\xBC\xAF",
                    big5 =
                        "\xB3\x6F\xAC\x4F\xA4\x40\xAD\xD3\xC2\xB2\xB3\xE6\xAA\xBA\xB4\xFA\xB8\xD5\xA1\x41\xA5\xCE"
                        "\xA8\xD3\xC0\xCB\xAC\x64\xBD\x73\xBD\x58\xA1\x43",
                    hongKong =
                        "\xA7\xDA\x92\x5D\x9D\xF6\xAD\xBB\xB4\xE4\xAD\xB9\x9D\xCF\xA1\x41\x9D\xF8\x9D\xCF\xA6\x6E"
                        "\xA6\x6E\xAD\xB9\xA1\x43",
                    shiftJis =
                        "\x82\xB1\x82\xEA\x82\xCD\x93\xFA\x96\x7B\x8C\xEA\x82\xCC\x83\x65\x83\x4C\x83\x58\x83"
                        "\x67\x82\xC5\x82\xB7\x81\x42",
                    windowsJapanese =
                        "\xEE\xE0\x8B\xB4\x82\xB3\x82\xF1\x82\xC6\xED\x95\x8E\x52\x82\xB3\x82\xF1\x81\x41"
                        "\x87\x40\x94\xD4",
                    halfWidth = "\xB6\xC0\xB6\xC5\x82\xC6\x83\x4A\x83\x5E\x83\x4A\x83\x69";
  const struct {
    std::string text;
    int code;
  } cases[] = {{.text = "", .code = CodeGb},
               {.text = "plain text\r\n", .code = CodeGb},
               {.text = gb2312, .code = CodeGb},
               {.text = gbkTraditional, .code = CodeGb},
               {.text = "by " + gbkNames + "\n", .code = CodeGb},
               {.text = big5, .code = CodeBig5},
               {.text = hongKong, .code = CodeBig5},
               {.text = shiftJis, .code = CodeShiftJis},
               {.text = windowsJapanese, .code = CodeShiftJis},
               {.text = halfWidth, .code = CodeShiftJis},
               {.text = "end\x1A" + big5, .code = CodeGb},
               // After ASCII a character starts: bytes that only continue a
               // UTF-8 character there are no UTF-8, whatever follows.
               {.text = "ok\n\xB0\xA1\xE4\xBD\xA0\xE5\xA5\xBD", .code = CodeGb},
               {.text = std::string(100000, 'a') + big5, .code = CodeBig5},
               {.text = gb2312 + std::string(70000, 'a') + big5, .code = CodeGb},
               // A pair that the window's end cuts is not judged.
               {.text = big5 + std::string(65535 - big5.size(), 'a') + "\x81\x40", .code = CodeBig5}};
  for (const auto& [text, code] : cases) {
    const Bytes bytes = ToBytes(text);
    int detected = CodeDetect;
    ASSERT_TRUE(PutDocumentText(nullptr, bytes.data(), bytes.size()));
    EXPECT_TRUE(BuildLineIndex(nullptr, Document.textLength, &detected));
    EXPECT_EQ(detected, code) << text.substr(0, 40);
    // The index was made in the code it detected.
    EXPECT_EQ(IndexHeld(), IndexByteByByte(bytes.data(), bytes.size(), Settings.charsPerLine, code));
  }
  // Unicode chosen by hand: the form a byte-order mark names, else UTF-8.
  const std::pair<std::string, int> unicode[] = {
      {"\xFF\xFE\x61", CodeUtf16Le}, {"\xFE\xFF", CodeUtf16Be}, {"\xEF\xBB\xBF\x61", CodeUtf8}, {"\xB0\xA1", CodeUtf8}};
  for (const auto& [text, code] : unicode) EXPECT_EQ(UnicodeCodeOf(ToBytes(text).data(), text.size()), code) << text;
}

TEST(Glyphs, TheExtensionBesideTheFontDrawsWhatItHoldsAndWithoutItThoseCharactersShowAsMarks) {
  ScratchFolder folder;
  SetModulePath(folder.File("zk").c_str());
  WriteFile(folder.File("ZKJT16.FON"), MakeMarkedFont(GbFont));
  // The extension holds GBK's 0x8140 and, over the font's own glyph, 0xB0A1; each of its glyphs is
  // filled with the low byte of its grid position.
  Bytes extension(ExtensionFontSize, 0);
  for (const auto& [lead, trail] : {std::pair{0x81, 0x40}, std::pair{0xB0, 0xA1}}) {
    const size_t k = GridIndex(uint8_t(lead), uint8_t(trail));
    extension[k >> 3] = uint8_t(extension[k >> 3] | 1 << (k & 7));
    std::fill_n(extension.begin() + static_cast<std::ptrdiff_t>(ExtensionPresenceSize + 32 * k), 32, uint8_t(k));
  }
  uint8_t mark[32], expected[32];
  // What a pair draws from: the extension's glyph (its fill), the font's (its number), or the mark.
  auto drawnFrom = [&](int lead, int trail) -> std::string {
    const uint8_t* glyph = PairGlyph(CodeGb, uint8_t(lead), uint8_t(trail), mark);
    if (glyph == mark) {
      DrawPairMark(uint8_t(lead), uint8_t(trail), expected);
      return std::equal(mark, mark + 32, expected) ? "mark" : "wrong mark";
    }
    if (glyph == nullptr) return "blank";
    if (GlyphFont.extension && glyph >= GlyphFont.extension.get() &&
        glyph < GlyphFont.extension.get() + ExtensionFontSize)
      return "extension " + std::to_string(glyph[0]);
    return "font " + std::to_string(MarkedGlyphNumber(glyph));
  };
  const size_t grid8140 = GridIndex(0x81, 0x40) & 0xFF, gridB0A1 = GridIndex(0xB0, 0xA1) & 0xFF;
  const struct {
    size_t extensionSize;  // 0: no file
    std::string at8140, atB0A1, at8141;
  } cases[] = {
      {.extensionSize = ExtensionFontSize,
       .at8140 = "extension " + std::to_string(grid8140),
       .atB0A1 = "extension " + std::to_string(gridB0A1),
       .at8141 = "mark"},
      {.extensionSize = 0, .at8140 = "mark", .atB0A1 = "font 1410", .at8141 = "mark"},
      {.extensionSize = ExtensionFontSize - 1, .at8140 = "mark", .atB0A1 = "font 1410", .at8141 = "mark"},
  };
  for (const auto& [extensionSize, at8140, atB0A1, at8141] : cases) {
    std::filesystem::remove(PathFromUtf8(folder.File("ZKJT16X.FON")));
    if (extensionSize > 0)
      WriteFile(folder.File("ZKJT16X.FON"), Bytes(extension.begin(), extension.begin() + extensionSize));
    CodeType = CodeGb;
    ASSERT_TRUE(LoadCodeFont(nullptr));
    EXPECT_EQ(std::make_tuple(drawnFrom(0x81, 0x40), drawnFrom(0xB0, 0xA1), drawnFrom(0x81, 0x41)),
              std::make_tuple(at8140, atB0A1, at8141))
        << extensionSize;
    EXPECT_EQ(drawnFrom(0xA1, 0xA1), "font 0");  // the font's own glyphs stay
  }
}

TEST(DocumentCode, ACodeChosenByHandBreaksTheTextByItsPairingAndALineIsFoundByOffset) {
  // Big5 and GB pair 0xA4 with 0x40, which stays whole in the last cell; Shift JIS reads 0xA4 as katakana.
  const Bytes text = Join({Bytes(15, 'a'), {0xA4, 0x40}, Bytes(20, 'b')});
  Settings.charsPerLine = 16;
  ASSERT_TRUE(PutDocumentText(nullptr, text.data(), text.size()));
  const struct {
    int code;
    Entries lines;
  } cases[] = {{.code = CodeBig5, .lines = {0, 17, 33, 37}},
               {.code = CodeGb, .lines = {0, 17, 33, 37}},
               {.code = CodeShiftJis, .lines = {0, 16, 32, 37}}};
  for (const auto& [code, lines] : cases) {
    EXPECT_TRUE(SwitchDocumentCode(nullptr, code));
    EXPECT_EQ(std::make_pair(CodeType, IndexHeld()), std::make_pair(code, lines));
  }
  // The line holding an offset: its first byte, its last, past the text.
  for (const auto& [offset, line] : {std::pair{0u, 0}, std::pair{15u, 0}, std::pair{16u, 1}, std::pair{36u, 2},
                                     std::pair{37u, 2}, std::pair{1000u, 2}})
    EXPECT_EQ(LineHolding(offset), line) << offset;
  ClearDocument();
  EXPECT_EQ(LineHolding(5), 0);
  EXPECT_TRUE(SwitchDocumentCode(nullptr, CodeBig5));
  EXPECT_EQ(CodeType, CodeBig5);
}

TEST(Glyphs, AUnicodeLineTakesEachCharactersCellsFromTheUnicodeFontAndMarksWhatItLacks) {
  // A Unicode font beside the program holding 'a' (narrow, the marked single-byte glyph) and U+4E2D
  // (wide, marked glyph 7) only.
  ScratchFolder folder;
  SetModulePath(folder.File("zk").c_str());
  Bytes font(UnicodeFontSize, 0);
  const Bytes marked = MakeMarkedFont(4096 + 32 * 8);
  for (const char32_t c : {char32_t{'a'}, char32_t{0x4E2D}}) font[c >> 3] = uint8_t(font[c >> 3] | 1 << (c & 7));
  font[8192 + (0x4E2D >> 3)] = uint8_t(font[8192 + (0x4E2D >> 3)] | 1 << (0x4E2D & 7));
  std::copy_n(marked.begin() + 16 * 'a', 16, font.begin() + 16384 + 32 * 'a');
  std::copy_n(marked.begin() + 4096 + 32 * 7, 32, font.begin() + 16384 + 32 * 0x4E2D);
  WriteFile(folder.File("ZKUNI16.FON"), font);
  const int U8 = CodeUtf8, Le = CodeUtf16Le, Be = CodeUtf16Be;
  // The code and bytes; the cells drawn, and the bytes marked. A character with no glyph shows its
  // code point, one past the first plane too; a byte that is no character, and DEL, their own; a
  // byte-order mark nothing; a control character a blank, a TAB its run.
  const struct {
    int code;
    std::string bytes, cells, marks = "";
  } cases[] = {
      {.code = U8,
       .bytes = "a\xE4\xB8\xAD"
                "a",
       .cells = "a<>a"},
      {.code = U8,
       .bytes = "\xEF\xBB\xBF"
                "a\tZ",
       .cells = "a       []",
       .marks = std::string("\0Z", 2)},
      {.code = U8,
       .bytes = "\xE4\xB8"
                "a\x7F\x01",
       .cells = "??a? ",
       .marks = "\xE4\xB8\x7F"},
      {.code = U8,
       .bytes = "\xF0\x9F\x98\x80"
                "a",
       .cells = "{}a",
       .marks = std::string("\x01\xF6\x00", 3)},
      {.code = Le,
       .bytes = std::string("\xFF\xFE"
                            "a\0\x2D\x4E\x00\xD8"
                            "a",
                            9),
       .cells = "a<>???",
       .marks = std::string("\x00\xD8"
                            "a",
                            3)},
      {.code = Be, .bytes = std::string("\0a\x4E\x2D", 4), .cells = "a<>"},
  };
  for (const auto& [code, bytes, cells, marks] : cases) {
    SCOPED_TRACE(cells);
    CodeType = code;
    ASSERT_TRUE(LoadCodeFont(nullptr));
    Settings.charsPerLine = 80;
    ASSERT_TRUE(AllocateLineBitmap(nullptr, 640));
    RenderLine(ToBytes(bytes).data(), static_cast<int>(bytes.size()), bytes.size());
    EXPECT_EQ(BitmapHeld(), Drawn(cells, 7, marks)) << bytes;
  }
}

TEST(TextSearch, APatternMatchesWhereACharacterStartsNeverOnASecondByte) {
  // Patterns of bytes, sought in each code's text: a match is taken only
  // where the code's own reading starts a character there.
  struct Row {
    int code;
    std::string text;
    std::string pattern;
    bool matchCase;
    std::vector<size_t> forward;  // every match, first to last
  };
  const Row rows[] = {
      // Big5 0xA4 0x40 is one character: "@" as its second byte is none.
      {.code = CodeBig5, .text = "a@\xA4@b@", .pattern = "@", .matchCase = true, .forward = {1, 5}},
      // GB: a pair found across two characters (second byte, first byte) is none.
      {.code = CodeGb, .text = "\xB0\xA1\xB0\xA1", .pattern = "\xA1\xB0", .matchCase = true, .forward = {}},
      {.code = CodeGb, .text = "\xB0\xA1\xB0\xA1", .pattern = "\xB0\xA1", .matchCase = true, .forward = {0, 2}},
      // Shift JIS: a second byte in the letters' range is no letter.
      {.code = CodeShiftJis,
       .text = "\x83\x41"
               "A a",
       .pattern = "a",
       .matchCase = false,
       .forward = {2, 4}},
      {.code = CodeShiftJis,
       .text = "\x83\x41"
               "A a",
       .pattern = "A",
       .matchCase = true,
       .forward = {2}},
      // UTF-8 and UTF-16: a unit's second byte is no start.
      {.code = CodeUtf8, .text = "\xE4\xB8\xAD\xE4\xB8\xAD", .pattern = "\xB8\xAD", .matchCase = true, .forward = {}},
      {.code = CodeUtf16Le,
       .text = std::string("a\0\0a\0a", 6),
       .pattern = std::string("a\0", 2),
       .matchCase = true,
       .forward = {0}},
  };
  for (const Row& row : rows) {
    const Bytes text = ToBytes(row.text);
    SearchPattern pattern;
    pattern.bytes = ToBytes(row.pattern);
    pattern.letters.assign(pattern.bytes.size(), 0);
    for (size_t k = 0; k < pattern.bytes.size(); ++k) {
      const uint8_t b = pattern.bytes[k];
      if (!row.matchCase && std::isalpha(b))
        pattern.letters[k] = 1, pattern.bytes[k] = static_cast<uint8_t>(std::tolower(b));
    }
    pattern.matchCase = row.matchCase;
    const uint32_t starts[2] = {0, static_cast<uint32_t>(text.size())};
    std::vector<size_t> forward, backward;
    for (size_t at = 0;
         (at = FindPattern(pattern, row.code, text.data(), text.size(), starts, 1, at, text.size(), true)) != NotFound;
         ++at)
      forward.push_back(at);
    for (size_t to = text.size();;) {
      const size_t at = FindPattern(pattern, row.code, text.data(), text.size(), starts, 1, 0, to, false);
      if (at == NotFound) break;
      backward.insert(backward.begin(), at);
      to = at + pattern.bytes.size() - 1;
    }
    EXPECT_EQ(forward, row.forward) << row.code << " " << row.pattern;
    EXPECT_EQ(backward, row.forward) << row.code << " " << row.pattern;
  }
}

TEST(TextSearch, TheTypedTextIsWrittenInTheDocumentsCodeAndFoundByDisplayLine) {
  // Unicode texts take the typed text's own forms; ASCII is one byte in
  // every legacy code; the letters are marked for either case.
  const std::u16string typed = u"A\u4E2D\U0001F600";
  const std::vector<char32_t> points = CodePointsOfUtf16(typed.data(), typed.size());
  EXPECT_EQ(points, (std::vector<char32_t>{'A', 0x4E2D, 0x1F600}));
  EXPECT_EQ(CodePointsOfUtf8("a\xE4\xB8\xAD\xFF", 5), (std::vector<char32_t>{'a', 0x4E2D, 0xFFFD}));
  const struct {
    int code;
    Bytes bytes;
    Bytes letters;
  } forms[] = {
      {CodeUtf8, ToBytes("a\xE4\xB8\xAD\xF0\x9F\x98\x80"), {1, 0, 0, 0, 0, 0, 0, 0}},
      {CodeUtf16Le, {'a', 0, 0x2D, 0x4E, 0x3D, 0xD8, 0x00, 0xDE}, {1, 0, 0, 0, 0, 0, 0, 0}},
      {CodeUtf16Be, {0, 'a', 0x4E, 0x2D, 0xD8, 0x3D, 0xDE, 0x00}, {0, 1, 0, 0, 0, 0, 0, 0}},
  };
  for (const auto& form : forms) {
    SearchPattern pattern;
    ASSERT_TRUE(MakeSearchPattern(form.code, points.data(), points.size(), false, &pattern));
    EXPECT_EQ(pattern.bytes, form.bytes) << form.code;
    EXPECT_EQ(pattern.letters, form.letters) << form.code;
  }
  SearchPattern pattern;
  const char32_t word[] = {'Z', 'k'};
  ASSERT_TRUE(MakeSearchPattern(CodeBig5, word, 2, true, &pattern));
  EXPECT_EQ(pattern.bytes, ToBytes("Zk"));
  EXPECT_FALSE(MakeSearchPattern(CodeGb, word, 0, true, &pattern));
  const char32_t surrogate[] = {0xD800};
  EXPECT_FALSE(MakeSearchPattern(CodeUtf8, surrogate, 1, true, &pattern));
  // In the document: from a display line on, or before it; ten lines of
  // four cells, "zk" on lines 2 and 7.
  std::string text;
  for (int line = 0; line < 10; ++line) text += line == 2 || line == 7 ? "azk\n" : "abc\n";
  ASSERT_TRUE(PutDocumentText(nullptr, ToBytes(text).data(), text.size()));
  int code = CodeGb;
  ASSERT_TRUE(BuildLineIndex(nullptr, Document.textLength, &code));
  const char32_t zk[] = {'Z', 'K'};
  ASSERT_TRUE(MakeSearchPattern(CodeGb, zk, 2, false, &pattern));
  const std::tuple<int, bool, int> searches[] = {{0, true, 2},   {3, true, 7},  {8, true, -1},  {10, true, -1},
                                                 {10, false, 7}, {7, false, 2}, {2, false, -1}, {0, false, -1}};
  for (const auto& [from, forward, found] : searches)
    EXPECT_EQ(FindInDocument(pattern, from, forward), found) << from << " " << forward;
  ASSERT_TRUE(MakeSearchPattern(CodeGb, zk, 2, true, &pattern));
  EXPECT_EQ(FindInDocument(pattern, 0, true), -1);
}
