#include <gtest/gtest.h>

#include <string>

#include "document/byte_classes.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "shell/font_path.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

namespace {
constexpr size_t GbFontSize = 265792, Big5FontSize = 451232, SjisFontSize = 270208;

// Makes `bytes` the loaded font.
void UseFont(const Bytes& bytes) {
  GlyphFont.bytes = AllocateZeroed<uint8_t>(bytes.size());
  std::copy(bytes.begin(), bytes.end(), GlyphFont.bytes.get());
  GlyphFont.size = bytes.size();
}

int GlyphNumber(const uint8_t* glyph) { return glyph == nullptr ? -1 : MarkedGlyphNumber(glyph); }
size_t OffsetOf(const uint8_t* glyph) { return static_cast<size_t>(glyph - GlyphFont.bytes.get()); }
}  // namespace

TEST(ByteClasses, RangesOfEachCode) {
  EXPECT_TRUE(IsControlByte(0x1F));
  EXPECT_FALSE(IsControlByte(0x20));
  EXPECT_FALSE(IsGbLeadByte(0xA0));
  EXPECT_TRUE(IsGbLeadByte(0xA1));
  EXPECT_TRUE(IsGbLeadByte(0xFE));
  EXPECT_FALSE(IsGbLeadByte(0xFF));
  EXPECT_TRUE(IsBig5LeadByte(0xA1));
  EXPECT_FALSE(IsBig5LeadByte(0xFF));
  EXPECT_FALSE(IsSjisLeadByte(0x80));
  EXPECT_TRUE(IsSjisLeadByte(0x81));
  EXPECT_TRUE(IsSjisLeadByte(0x9F));
  EXPECT_FALSE(IsSjisLeadByte(0xA0));
  EXPECT_FALSE(IsSjisLeadByte(0xDF));
  EXPECT_TRUE(IsSjisLeadByte(0xE0));
  EXPECT_TRUE(IsSjisLeadByte(0xFC));
  EXPECT_FALSE(IsSjisLeadByte(0xFD));
}

TEST(GlyphLookup, GbRowsOf94FromA1) {
  ResetCoreState();
  UseFont(MakeMarkedFont(GbFontSize));
  EXPECT_EQ(GlyphNumber(GbGlyph(0xB0, 0xA1)), 1410);
  EXPECT_EQ(OffsetOf(GbGlyph(0xB0, 0xA1)), 49216u);
  EXPECT_EQ(OffsetOf(GbGlyph(0xA1, 0xA1)), 4096u);
  EXPECT_EQ(GlyphNumber(GbGlyph(0xF7, 0xFE)), 8177);       // the last of a complete file
  EXPECT_EQ(GlyphNumber(GbGlyph(0xB0, 0xFF)), 1410 + 94);  // 0xFF runs into the next row
  EXPECT_EQ(GbGlyph(0xF8, 0xA1), nullptr);
  EXPECT_EQ(GbGlyph(0xB0, 0x41), nullptr);
  EXPECT_EQ(GbGlyph(0xA0, 0xA1), nullptr);
  // Past a complete file: 0xF7 0xFF is glyph 8178, beyond the last byte.
  EXPECT_EQ(GbGlyph(0xF7, 0xFF), nullptr);
}

TEST(GlyphLookup, Big5RowsOf157WithTheGapFolded) {
  ResetCoreState();
  UseFont(MakeMarkedFont(Big5FontSize));
  EXPECT_EQ(GlyphNumber(Big5Glyph(0xA4, 0x40)), 471);
  EXPECT_EQ(OffsetOf(Big5Glyph(0xA4, 0x40)), 19168u);
  EXPECT_EQ(GlyphNumber(Big5Glyph(0xA4, 0xA1)), 534);
  EXPECT_EQ(GlyphNumber(Big5Glyph(0xF9, 0xFE)), 13972);
  EXPECT_EQ(Big5Glyph(0xFA, 0x40), nullptr);
  // Second bytes 0x7F to 0xA0 repeat the glyphs of 0x5D to 0x7E.
  EXPECT_EQ(GlyphNumber(Big5Glyph(0xA4, 0x7F)), GlyphNumber(Big5Glyph(0xA4, 0x5D)));
  EXPECT_EQ(GlyphNumber(Big5Glyph(0xA4, 0xA0)), GlyphNumber(Big5Glyph(0xA4, 0x7E)));
  // 0xFF gives the first glyph of the next row.
  EXPECT_EQ(GlyphNumber(Big5Glyph(0xA4, 0xFF)), GlyphNumber(Big5Glyph(0xA5, 0x40)));
}

TEST(GlyphLookup, Big5SecondBytesBelow40ReachIntoTheSingleByteArea) {
  ResetCoreState();
  UseFont(MakeMarkedFont(Big5FontSize));
  // Row 0xA1 with second byte 0x00: glyph -64, offset 2048, taken as it is.
  const uint8_t* glyph = Big5Glyph(0xA1, 0x00);
  ASSERT_NE(glyph, nullptr);
  EXPECT_EQ(OffsetOf(glyph), 2048u);
  EXPECT_EQ(OffsetOf(Big5Glyph(0xA2, 0x00)), 4096u + 32u * (157 - 64));
}

TEST(GlyphLookup, ShiftJisRowsOf189InTwoBlocks) {
  ResetCoreState();
  UseFont(MakeMarkedFont(SjisFontSize));
  EXPECT_EQ(GlyphNumber(SjisGlyph(0x88, 0x9F)), 1418);
  EXPECT_EQ(GlyphNumber(SjisGlyph(0xE0, 0x40)), 5859);
  EXPECT_EQ(GlyphNumber(SjisGlyph(0x81, 0x7F)), 63);  // 0x7F is a glyph of its own
  EXPECT_EQ(GlyphNumber(SjisGlyph(0xEC, 0xFC)), 8315);
  EXPECT_EQ(SjisGlyph(0xED, 0x40), nullptr);
  EXPECT_EQ(SjisGlyph(0xFC, 0x40), nullptr);
  EXPECT_EQ(OffsetOf(SjisGlyph(0x81, 0x00)), 2048u);
}

TEST(GlyphLookup, SingleByteGlyphsAreSixteenBytesAtSixteenTimesTheByte) {
  ResetCoreState();
  UseFont(MakeMarkedFont(GbFontSize));
  for (int c : {0x00, 0x41, 0xB1, 0xFF}) {
    const uint8_t* glyph = SingleByteGlyph(static_cast<uint8_t>(c));
    ASSERT_NE(glyph, nullptr);
    EXPECT_EQ(OffsetOf(glyph), 16u * c);
    EXPECT_EQ(glyph[3], static_cast<uint8_t>(c ^ 3));
  }
}

TEST(GlyphLookup, AShortFontDrawsBlankAndIsNeverReadPastItsEnd) {
  ResetCoreState();
  // The font ends in the middle of GB glyph 1: glyph 0 whole, glyph 1 not.
  UseFont(MakeMarkedFont(4096 + 32 + 20));
  EXPECT_EQ(GlyphNumber(GbGlyph(0xA1, 0xA1)), 0);
  EXPECT_EQ(GbGlyph(0xA1, 0xA2), nullptr);
  EXPECT_EQ(Big5Glyph(0xF9, 0xFE), nullptr);
  EXPECT_EQ(SjisGlyph(0xEC, 0xFC), nullptr);
  UseFont(MakeMarkedFont(16 * 0x41 + 15));
  EXPECT_NE(SingleByteGlyph(0x40), nullptr);
  EXPECT_EQ(SingleByteGlyph(0x41), nullptr);
  GlyphFont.bytes.reset();
  GlyphFont.size = 0;
  EXPECT_EQ(SingleByteGlyph('A'), nullptr);
  EXPECT_EQ(GbGlyph(0xB0, 0xA1), nullptr);
  // Every lookup in every code stays inside the loaded bytes.
  UseFont(MakeMarkedFont(5000));
  for (int h = 0; h < 256; ++h) {
    for (int l = 0; l < 256; ++l) {
      for (const uint8_t* glyph :
           {GbGlyph(uint8_t(h), uint8_t(l)), Big5Glyph(uint8_t(h), uint8_t(l)), SjisGlyph(uint8_t(h), uint8_t(l))}) {
        if (glyph == nullptr) continue;
        ASSERT_GE(glyph, GlyphFont.bytes.get());
        ASSERT_LE(glyph + 32, GlyphFont.bytes.get() + GlyphFont.size);
      }
    }
  }
}

TEST(FontLoad, LoadsTheFileOfTheCurrentCodeFromBesideTheProgram) {
  ResetCoreState();
  ScratchFolder folder;
  Bytes font = MakeMarkedFont(Big5FontSize);
  WriteFile(folder.File("ZKFT16.FON"), font);
  SetModulePath(folder.File("zk").c_str());
  CodeType = CodeBig5;
  ASSERT_TRUE(LoadCodeFont(nullptr));
  EXPECT_EQ(GlyphFont.size, Big5FontSize);
  EXPECT_EQ(GlyphNumber(Big5Glyph(0xA4, 0x40)), 471);
  EXPECT_TRUE(HeadlessPrompts().empty());
}

TEST(FontLoad, AMissingFontNamesItsFullPathAndKeepsThePreviousFont) {
  ResetCoreState();
  ScratchFolder folder;
  WriteFile(folder.File("ZKJT16.FON"), MakeMarkedFont(GbFontSize));
  SetModulePath(folder.File("zk").c_str());
  ASSERT_TRUE(LoadCodeFont(nullptr));
  CodeType = CodeShiftJis;
  EXPECT_FALSE(LoadCodeFont(nullptr));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not open the font file: " + folder.File("ZKJP16.FON"));
  EXPECT_EQ(HeadlessPrompts()[0].style, StyleStop);
  EXPECT_EQ(GlyphFont.size, GbFontSize);
}

TEST(FontLoad, AllocationAndReadFailuresAreReported) {
  ResetCoreState();
  ScratchFolder folder;
  WriteFile(folder.File("ZKJT16.FON"), MakeMarkedFont(GbFontSize));
  SetModulePath(folder.File("zk").c_str());
  FailAllocationsAfter(0);
  EXPECT_FALSE(LoadCodeFont(nullptr));
  FailAllocationsAfter(-1);
  EXPECT_EQ(GlyphFont.size, 0u);
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].id, 5);
  EXPECT_EQ(HeadlessPrompts()[0].style, StyleStop);
  // An empty font file cannot be read.
  ClearHeadlessPrompts();
  WriteFile(folder.File("ZKJT16.FON"), Bytes{});
  EXPECT_FALSE(LoadCodeFont(nullptr));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not read font file!");
  EXPECT_EQ(GbGlyph(0xA1, 0xA1), nullptr);
}

#ifndef _WIN32  // a symbolic link needs privileges on Windows
TEST(FontLoad, AFontThatReadsShortShowsMessageSixAndDrawsBlankPastWhatArrived) {
  std::string shortFile = ShortReadingFile();
  if (shortFile.empty()) GTEST_SKIP() << "no file here reads shorter than its size";
  ResetCoreState();
  ScratchFolder folder;
  std::filesystem::create_symlink(shortFile, folder.File("ZKJT16.FON"));
  SetModulePath(folder.File("zk").c_str());
  EXPECT_FALSE(LoadCodeFont(nullptr));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "Can not read font file!");
  EXPECT_EQ(GbGlyph(0xA1, 0xA1), nullptr);
}
#endif
