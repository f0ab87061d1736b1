// Glyphs from the font of the current code, and display lines drawn with them.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "shell/font_path.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "tests/test_support.h"

namespace {
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
    for (int k = 0; k < 16; ++k) {
      uint8_t c = static_cast<uint8_t>(cells[cell]);
      int at = 2 * k + (c == '>');  // the byte of the wide glyph
      uint8_t wide = static_cast<uint8_t>(at == 0 ? (g + 1) & 0xFF : at == 1 ? (g + 1) >> 8 : at);
      bits[(GlyphTop() + k) * LineBitmap.bytesPerRow + cell] = static_cast<uint8_t>(c == ' '               ? 0
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

void ExpectMessageFive(int style, int allowed) {
  ASSERT_EQ(HeadlessPrompts().size(), 1u) << allowed;
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not alloc memory!");
  EXPECT_EQ(HeadlessPrompts()[0].style, style);
}
}  // namespace

TEST(GlyphLookup, EachCodeFindsItsGlyphOrBlankNeverPastTheFont) {
  // GB: rows of 94 from 0xA1, 0xFF running into the next row. Big5: rows of
  // 157, second bytes 0x7F to 0xA0 repeating 0x5D to 0x7E, 0xFF the next row,
  // bytes below 0x40 reaching back into the single-byte area. Shift JIS: rows
  // of 189 in two blocks, 0x7F a glyph of its own.
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
  // The code and what lies where the GB font belongs; then the message and
  // the font left: the previous one after a failed open, what arrived after
  // a failed read.
  enum Kind { Nothing, Empty, ReadsShort };
  const std::tuple<int, Kind, std::string, size_t> cases[] = {
      {CodeBig5, Nothing, "", Big5Font},
      {CodeGb, Nothing, "Can not open the font file: " + gbFont, 5000},
      {CodeGb, Empty, "Can not read font file!", 0},
      {CodeGb, ReadsShort, "Can not read font file!", shortFile.empty() ? 0 : std::filesystem::file_size(shortFile)}};
  for (const auto& [code, kind, message, sizeLeft] : cases) {
    std::filesystem::remove(gbFont);
    if (kind == Empty) WriteFile(gbFont, {});
#ifndef _WIN32  // a symbolic link needs privileges on Windows
    if (kind == ReadsShort && !shortFile.empty()) std::filesystem::create_symlink(shortFile, gbFont);
#endif
    if (kind == ReadsShort && !std::filesystem::is_symlink(gbFont)) continue;
    UseFont(5000);
    ClearHeadlessPrompts();
    CodeType = code;
    EXPECT_EQ(LoadCodeFont(nullptr), message.empty()) << message;
    EXPECT_EQ(GlyphFont.size, sizeLeft) << message;
    ASSERT_EQ(HeadlessPrompts().size(), message.empty() ? 0u : 1u);
    if (message.empty()) continue;
    EXPECT_EQ(HeadlessPrompts()[0].text, message);
    EXPECT_EQ(HeadlessPrompts()[0].style, StyleStop);
    EXPECT_EQ(OffsetOf(Gb, 0xB0, 0xA1), Blank) << message;
  }
}

TEST(FontLoad, EachFailedAllocationShowsMessageFiveAndLeavesNoFont) {
  ScratchFolder folder;
  WriteFile(folder.File("ZKJT16.FON"), MakeMarkedFont(GbFont));
  SetModulePath(folder.File("zk").c_str());
  FailEachAllocation([] { UseFont(5000); }, [] { return LoadCodeFont(nullptr); },
                     [](int allowed) {
                       ExpectMessageFive(StyleStop, allowed);
                       EXPECT_EQ(GlyphFont.size, 0u);
                       EXPECT_EQ(OffsetOf(Single, 'A', 0), Blank);
                       EXPECT_EQ(OffsetOf(Gb, 0xA1, 0xA1), Blank);
                     });
  EXPECT_EQ(OffsetOf(Gb, 0xB0, 0xA1), Wide(1410));
}

TEST(LineBitmap, RowsCoverTheViewOrTheLineEvenlyAndSpacingSplitsAroundTheGlyphs) {
  const std::tuple<int, int, int> widths[] = {{640, 80, 82},   {645, 80, 82}, {640, 100, 102}, {640, 81, 84},
                                              {1000, 16, 128}, {0, 16, 18},   {-50, 16, 18},   {-100, -100, 2}};
  for (const auto& [clientWidth, charsPerLine, bytesPerRow] : widths)
    EXPECT_EQ(ComputeBytesPerRow(clientWidth, charsPerLine), bytesPerRow) << clientWidth << " " << charsPerLine;
  const std::tuple<int, int, int> spacings[] = {{8, 24, 4}, {3, 19, 1}, {0, 18, 1}, {40, 32, 8}};
  for (const auto& [spacing, lineHeight, glyphTop] : spacings) {
    Settings.lineSpacing = spacing;
    ASSERT_TRUE(AllocateLineBitmap(nullptr, 640));
    EXPECT_EQ(std::make_pair(LineBitmap.lineHeight, GlyphTop()), std::make_pair(lineHeight, glyphTop)) << spacing;
  }
}

TEST(RenderLine, EachByteTakesItsCellsInTheCurrentCode) {
  UseFont(Big5Font);
  const int All = -1000;
  // The code; the view's width (0: a bitmap of 16 + 2 cells); the bytes, how
  // many to draw and how many may be read; then the cells and the wide glyph
  // drawn. A GB lead byte eats the LF after it; a lead byte at the end pairs
  // with the byte after the string, or 0; nothing is drawn past the bitmap;
  // every line starts from a clear bitmap.
  const std::tuple<int, int, Bytes, int, size_t, std::string, int> cases[] = {
      {CodeGb, 640, ToBytes("ab\tc"), All, 4, "ab      c", 0},
      {CodeGb, 640, ToBytes("\r\nx"), All, 3, "  x", 0},
      {CodeGb, 640, {0xB0, 0xA1, 'z'}, All, 3, "<>z", 1410},
      {CodeGb, 640, {0xB0, '\n', 'z'}, All, 3, "  z", 0},
      {CodeGb, 640, {0x95, 0xB0, 0xA1}, All, 3, "\x95<>", 1410},
      {CodeShiftJis, 640, {0xB1, 0x88, 0x9F}, All, 3, "\xB1<>", 1418},
      {CodeBig5, 640, {0xA4, 0x40}, All, 2, "<>", 471},
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
  // Without a font every glyph is blank.
  UseFont(0);
  Bytes line = {'a', 0xB0, 0xA1};
  RenderLine(line.data(), 3, 3);
  EXPECT_EQ(BitmapHeld(), Drawn(""));
}

TEST(RenderLine, GlyphsOutsideTheBitmapAreNotDrawn) {
  const Bytes ink(32, 0xFF);
  PutNarrowGlyph(0, ink.data());  // no bitmap yet
  PutWideGlyph(0, ink.data());
  ASSERT_TRUE(AllocateLineBitmap(nullptr, 0));
  PutNarrowGlyph(-1, ink.data());
  PutWideGlyph(LineBitmap.bytesPerRow, ink.data());
  PutNarrowGlyph(LineBitmap.bytesPerRow + 5, ink.data());
  EXPECT_EQ(BitmapHeld(), Drawn(""));
}

TEST(LineBitmap, EachFailedAllocationShowsMessageFiveAndLeavesNothingToDrawInto) {
  UseFont(GbFont);
  FailEachAllocation([] { ASSERT_TRUE(AllocateLineBitmap(nullptr, 640)); },
                     [] { return AllocateLineBitmap(nullptr, 640); },
                     [](int allowed) {
                       ExpectMessageFive(StylePlain, allowed);
                       EXPECT_EQ(LineBitmap.bits, nullptr);
                       RenderLine(ToBytes("x").data(), 1, 1);
                       EXPECT_EQ(LineBitmap.bits, nullptr);
                     });
  EXPECT_EQ(BitmapHeld(), Drawn(""));
}
