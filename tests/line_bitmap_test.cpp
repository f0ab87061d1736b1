#include <gtest/gtest.h>

#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"
#include "tests/test_support.h"

namespace {
constexpr size_t AnyFontSize = 451232;

void Prepare(int code, int clientWidth = 640, int width = 80, int spacing = 8) {
  ResetCoreState();
  Settings.charsPerLine = width;
  Settings.lineSpacing = spacing;
  CodeType = code;
  Bytes font = MakeMarkedFont(AnyFontSize);
  GlyphFont.bytes = AllocateZeroed<uint8_t>(font.size());
  std::copy(font.begin(), font.end(), GlyphFont.bytes.get());
  GlyphFont.size = font.size();
  ASSERT_TRUE(AllocateLineBitmap(nullptr, clientWidth));
}

void Render(const Bytes& bytes) { RenderLine(bytes.data(), static_cast<int>(bytes.size()), bytes.size()); }

// Byte `row` of `cell` in the bitmap.
uint8_t At(int row, int cell) { return LineBitmap.bits[static_cast<size_t>(row) * LineBitmap.bytesPerRow + cell]; }

// The 16 glyph rows of `cell`.
Bytes Cell(int cell) {
  Bytes rows;
  for (int k = 0; k < 16; ++k) rows.push_back(At(GlyphTop() + k, cell));
  return rows;
}

Bytes NarrowGlyphBytes(uint8_t c) { return Bytes(SingleByteGlyph(c), SingleByteGlyph(c) + 16); }
Bytes WideHalf(const uint8_t* glyph, int half) {
  Bytes rows;
  for (int k = 0; k < 16; ++k) rows.push_back(glyph[2 * k + half]);
  return rows;
}
bool AllClear() {
  for (int i = 0; i < LineBitmap.bytesPerRow * LineBitmap.lineHeight; ++i)
    if (LineBitmap.bits[i] != 0) return false;
  return true;
}
}  // namespace

TEST(LineBitmapSize, BytesPerRowCoversTheViewOrTheLineAndIsEven) {
  EXPECT_EQ(ComputeBytesPerRow(640, 80), 82);
  EXPECT_EQ(ComputeBytesPerRow(645, 80), 82);
  EXPECT_EQ(ComputeBytesPerRow(640, 100), 102);
  EXPECT_EQ(ComputeBytesPerRow(640, 81), 84);
  EXPECT_EQ(ComputeBytesPerRow(1000, 16), 128);
  EXPECT_EQ(ComputeBytesPerRow(0, 16), 18);
  EXPECT_EQ(ComputeBytesPerRow(-50, 16), 18);
}

TEST(LineBitmapSize, LineSpacingSplitsAboveAndBelowTheGlyphs) {
  Prepare(CodeGb, 640, 80, 8);
  EXPECT_EQ(LineBitmap.lineHeight, 24);
  EXPECT_EQ(GlyphTop(), 4);
  Render(ToBytes("\xB0\xA1"));
  for (int row : {0, 1, 2, 3, 20, 21, 22, 23}) EXPECT_EQ(At(row, 0) | At(row, 1), 0) << row;
  EXPECT_NE(At(4, 0), 0);
  Prepare(CodeGb, 640, 80, 3);
  EXPECT_EQ(LineBitmap.lineHeight, 19);
  EXPECT_EQ(GlyphTop(), 1);
}

TEST(RenderLine, TabsControlBytesAndNarrowGlyphsTakeTheirCells) {
  Prepare(CodeGb);
  Render(ToBytes("ab\tc"));
  EXPECT_EQ(Cell(0), NarrowGlyphBytes('a'));
  EXPECT_EQ(Cell(1), NarrowGlyphBytes('b'));
  for (int cell = 2; cell < 8; ++cell) EXPECT_EQ(Cell(cell), Bytes(16, 0)) << cell;
  EXPECT_EQ(Cell(8), NarrowGlyphBytes('c'));
  Render(ToBytes("\r\nx"));
  EXPECT_EQ(Cell(0), Bytes(16, 0));
  EXPECT_EQ(Cell(1), Bytes(16, 0));
  EXPECT_EQ(Cell(2), NarrowGlyphBytes('x'));
}

TEST(RenderLine, GbPairsFillTwoCellsAndALeadBeforeLfEatsIt) {
  Prepare(CodeGb);
  Render(Bytes{0xB0, 0xA1, 'z'});
  const uint8_t* glyph = GbGlyph(0xB0, 0xA1);
  EXPECT_EQ(MarkedGlyphNumber(glyph), 1410);
  EXPECT_EQ(Cell(0), WideHalf(glyph, 0));
  EXPECT_EQ(Cell(1), WideHalf(glyph, 1));
  EXPECT_EQ(Cell(2), NarrowGlyphBytes('z'));
  Render(Bytes{0xB0, 0x0A, 'z'});
  EXPECT_EQ(Cell(0), Bytes(16, 0));
  EXPECT_EQ(Cell(1), Bytes(16, 0));
  EXPECT_EQ(Cell(2), NarrowGlyphBytes('z'));
  // 0x80 to 0xA0 are single bytes in GB; the next byte starts afresh.
  Render(Bytes{0x95, 0xB0, 0xA1});
  EXPECT_EQ(Cell(0), NarrowGlyphBytes(0x95));
  EXPECT_EQ(Cell(1), WideHalf(glyph, 0));
}

TEST(RenderLine, EachCodePairsByItsOwnLeadBytes) {
  Prepare(CodeShiftJis);
  Render(Bytes{0xB1, 0x88, 0x9F});
  EXPECT_EQ(Cell(0), NarrowGlyphBytes(0xB1));
  EXPECT_EQ(Cell(1), WideHalf(SjisGlyph(0x88, 0x9F), 0));
  EXPECT_EQ(MarkedGlyphNumber(SjisGlyph(0x88, 0x9F)), 1418);
  Prepare(CodeBig5);
  Render(Bytes{0xA4, 0x40});
  EXPECT_EQ(Cell(0), WideHalf(Big5Glyph(0xA4, 0x40), 0));
  EXPECT_EQ(Cell(1), WideHalf(Big5Glyph(0xA4, 0x40), 1));
}

TEST(RenderLine, ALeadByteAtTheEndPairsWithTheByteAfterTheString) {
  Prepare(CodeGb);
  Bytes buffer = {'a', 0xB0, 0xA1};
  RenderLine(buffer.data(), 2, buffer.size());
  EXPECT_EQ(Cell(1), WideHalf(GbGlyph(0xB0, 0xA1), 0));
  EXPECT_EQ(Cell(2), WideHalf(GbGlyph(0xB0, 0xA1), 1));
  // With nothing readable after the string, the pair takes a 0: blank.
  RenderLine(buffer.data(), 2, 2);
  EXPECT_EQ(Cell(1), Bytes(16, 0));
  EXPECT_EQ(Cell(2), Bytes(16, 0));
}

TEST(RenderLine, CellsPastTheBitmapAreClipped) {
  Prepare(CodeGb, 0, 16);  // 18 cells
  ASSERT_EQ(LineBitmap.bytesPerRow, 18);
  Bytes line(17, 'a');
  line.push_back(0xB0);
  line.push_back(0xA1);
  line.push_back('b');
  Render(line);
  // The pair starts in the last cell: only its left half is drawn.
  EXPECT_EQ(Cell(17), WideHalf(GbGlyph(0xB0, 0xA1), 0));
  EXPECT_EQ(Cell(16), NarrowGlyphBytes('a'));
  // A tab near the end stops at the last cell.
  Render(Bytes(17, 'a'));
  Bytes tabbed(17, 'a');
  tabbed.push_back('\t');
  tabbed.push_back('z');
  Render(tabbed);
  EXPECT_EQ(Cell(17), Bytes(16, 0));
  // A header far wider than the bitmap draws only what fits.
  Render(Bytes(500, 'q'));
  EXPECT_EQ(Cell(17), NarrowGlyphBytes('q'));
}

TEST(RenderLine, EveryLineStartsFromAClearBitmap) {
  Prepare(CodeGb);
  Render(ToBytes("full of ink"));
  RenderLine(nullptr, 0, 0);
  EXPECT_TRUE(AllClear());
  Render(ToBytes("more ink"));
  Bytes space = ToBytes(" ");
  Render(ToBytes("a"));
  EXPECT_EQ(Cell(1), Bytes(16, 0));
  RenderLine(space.data(), -4, 1);
  EXPECT_TRUE(AllClear());
}

TEST(RenderLine, WithoutAFontEveryGlyphIsBlank) {
  Prepare(CodeGb);
  GlyphFont.bytes.reset();
  GlyphFont.size = 0;
  Render(Bytes{'a', 0xB0, 0xA1});
  EXPECT_TRUE(AllClear());
}

TEST(LineBitmapAlloc, FailureShowsMessageFiveAndLeavesNoBitmap) {
  ResetCoreState();
  FailAllocationsAfter(0);
  EXPECT_FALSE(AllocateLineBitmap(nullptr, 640));
  FailAllocationsAfter(-1);
  EXPECT_EQ(LineBitmap.bits, nullptr);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].id, 5);
  EXPECT_EQ(HeadlessPrompts()[0].style, StylePlain);
  Bytes line = ToBytes("x");
  RenderLine(line.data(), 1, 1);  // nothing to draw into, nothing happens
}
