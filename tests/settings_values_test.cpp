#include <gtest/gtest.h>

#include "shell/settings_values.h"
#include "tests/test_support.h"

TEST(SettingsValues, DefaultsAreWhiteOnDarkBlueEightyCellsGbHzOn) {
  SettingsRecord defaults;
  EXPECT_EQ(defaults.charsPerLine, 80);
  EXPECT_EQ(defaults.lineSpacing, 8);
  EXPECT_EQ(defaults.textColour, 0xFFFFFFu);
  EXPECT_EQ(defaults.backColour, 0x800000u);
  EXPECT_EQ(defaults.showToolbar, 1);
  EXPECT_EQ(defaults.supportHZ, 1);
}

TEST(SettingsValues, StoredValuesAreBroughtIntoRange) {
  EXPECT_EQ(ClampCharsPerLine(8), 16);
  EXPECT_EQ(ClampCharsPerLine(1000), 512);
  EXPECT_EQ(ClampCharsPerLine(100), 100);
  EXPECT_EQ(ClampLineSpacing(0), 2);
  EXPECT_EQ(ClampLineSpacing(17), 16);
  EXPECT_EQ(ClampColourIndex(20), 15);
  EXPECT_EQ(ClampColourIndex(-3), 1);
  EXPECT_EQ(ClampColourIndex(0), 0);
  EXPECT_EQ(ClampCodeType(2), 2);
  EXPECT_EQ(ClampCodeType(3), 0);
  EXPECT_EQ(ClampCodeType(-1), 0);
}

TEST(SettingsValues, PaletteFollowsItsBitRuleWithLightGreyAtEight) {
  for (int index = 0; index < 16; ++index) {
    if (index == 8) continue;
    uint32_t level = (index & 8) ? 255 : 128;
    uint32_t red = (index & 4) ? level : 0, green = (index & 2) ? level : 0, blue = (index & 1) ? level : 0;
    EXPECT_EQ(ColourPalette[index], red | (green << 8) | (blue << 16)) << index;
  }
  EXPECT_EQ(ColourPalette[8], 0xC0C0C0u);
  ResetCoreState();
  Settings.textIndex = 14;
  Settings.backIndex = 4;
  ApplyColourIndexes();
  EXPECT_EQ(Settings.textColour, 0x00FFFFu);
  EXPECT_EQ(Settings.backColour, 0x000080u);
  ResetCoreState();
}
