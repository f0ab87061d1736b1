// What the small helpers do with the inputs no caller should pass but a
// careless one might: null buffers, empty sizes, out-of-range values.
#include <gtest/gtest.h>

#include <cstring>

#include "document/document.h"
#include "document/file_name.h"
#include "document/line_bitmap.h"
#include "shell/error_messages.h"
#include "shell/file_io.h"
#include "shell/font_path.h"
#include "shell/integer_text.h"
#include "shell/memory.h"
#include "shell/prompts.h"
#include "shell/prompts_headless.h"
#include "tests/test_support.h"

TEST(HelperEdges, NullOrEmptyBuffersAreLeftAlone) {
  FormatErrorText(nullptr, 10, ErrorOpenFile, "x");
  char one[4] = "abc";
  FormatErrorText(one, 0, ErrorOpenFile, "x");
  EXPECT_STREQ(one, "abc");
  ComposeFrameTitle(nullptr, 10, "t", "p");
  ComposeFrameTitle(one, 0, "t", "p");
  EXPECT_STREQ(one, "abc");
  EXPECT_FALSE(BuildPathBesideProgram(nullptr, 10, "x"));
  EXPECT_FALSE(BuildPathBesideProgram(one, 0, "x"));
  EXPECT_EQ(ReadLeadingInteger(nullptr, 5), 0);
}

TEST(HelperEdges, AMissingArgumentLeavesTheHoleEmpty) {
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, ErrorOpenFile, nullptr);
  EXPECT_STREQ(text, "Can not open the file : ");
}

TEST(HelperEdges, ModulePathResetsAndNegativeCodesUseTheGbFont) {
  ResetCoreState();
  EXPECT_TRUE(SetModulePath(nullptr));
  EXPECT_STREQ(ModulePath, "");
  SetModulePath("C:\\ZK\\ZK.EXE");
  char path[PathCapacity];
  ASSERT_TRUE(BuildFontPath(path, sizeof path, -4));
  EXPECT_STREQ(path, "C:\\ZK\\ZKJT16.FON");
  ResetCoreState();
}

TEST(HelperEdges, BlocksRefuseEmptyAndOverflowingSizes) {
  Block<uint32_t> block = AllocateZeroed<uint32_t>(4);
  ASSERT_TRUE(block);
  EXPECT_FALSE(GrowBlock(block, 0));
  EXPECT_FALSE(GrowBlock(block, static_cast<size_t>(-1) / 2));
  EXPECT_FALSE(AllocateZeroed<uint32_t>(static_cast<size_t>(-1) / 2));
  ASSERT_TRUE(GrowBlock(block, 8));
  EXPECT_EQ(block[3], 0u);  // what was there stays
}

TEST(HelperEdges, GlyphsOutsideTheBitmapAreNotDrawn) {
  ResetCoreState();
  const uint8_t ink[32] = {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF,
                           0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
  PutNarrowGlyph(0, ink);  // no bitmap yet: nothing to draw into
  PutWideGlyph(0, ink);
  ASSERT_TRUE(AllocateLineBitmap(nullptr, 0));
  PutNarrowGlyph(-1, ink);
  PutWideGlyph(LineBitmap.bytesPerRow, ink);
  PutNarrowGlyph(LineBitmap.bytesPerRow + 5, ink);
  for (int i = 0; i < LineBitmap.bytesPerRow * LineBitmap.lineHeight; ++i) ASSERT_EQ(LineBitmap.bits[i], 0) << i;
  // A count past what is readable is taken as readable: the caller vouches
  // for count bytes.
  Bytes text = ToBytes("ab");
  RenderLine(text.data(), 2, 0);
  EXPECT_EQ(ComputeBytesPerRow(-100, -100), 2);
  ResetCoreState();
}

TEST(HelperEdges, AQuestionHandlerThatSaysNoIsHeard) {
  ResetCoreState();
  SetHeadlessQuestionHandler([](const char*) { return false; });
  EXPECT_FALSE(AskYesNo(nullptr, nullptr, nullptr));
  ASSERT_EQ(HeadlessPrompts().size(), 1u);
  EXPECT_EQ(HeadlessPrompts()[0].text, "");
  ResetCoreState();
}
