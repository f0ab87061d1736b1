#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <map>
#include <string>

#include "document/document.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"
#include "tests/test_support.h"

namespace {
// The stored file, as the profile functions would keep it.
std::map<std::string, std::string> stored;

bool ReadStored(const char* key, char* dest, size_t destSize) {
  auto found = stored.find(key);
  if (found == stored.end()) return false;
  std::snprintf(dest, destSize, "%s", found->second.c_str());
  return true;
}

void WriteStored(const char* key, const char* text) { stored.insert_or_assign(key, std::string(text)); }

FramePlacement Read() {
  ResetCoreState();
  FramePlacement placement;
  ReadStoredSettings(ReadStored, &placement, &CodeType);
  return placement;
}
}  // namespace

TEST(SettingsStore, NoFileGivesEveryDefault) {
  stored.clear();
  FramePlacement placement = Read();
  EXPECT_EQ(Settings.backIndex, 1);
  EXPECT_EQ(Settings.textIndex, 15);
  EXPECT_EQ(Settings.textColour, 0xFFFFFFu);
  EXPECT_EQ(Settings.backColour, 0x800000u);
  EXPECT_EQ(Settings.charsPerLine, 80);
  EXPECT_EQ(Settings.lineSpacing, 8);
  EXPECT_EQ(CodeType, CodeGb);
  EXPECT_EQ(Settings.showToolbar, 1);
  EXPECT_EQ(Settings.supportHZ, 1);
  EXPECT_FALSE(IsUsablePlacement(placement));
}

TEST(SettingsStore, StoredValuesAreClampedAndTheColourKeysRunOpposite) {
  stored = {{"TextColor", "20"}, {"BackColor", "-3"}, {"CharsPerLine", "8"}, {"LinePitch", "0"},
            {"Country", "7"},    {"ToolBar", "0"},    {"SupportHZ", "0"},    {"Left", "100"},
            {"Top", "10"},       {"Right", "50"},     {"Bottom", "300"}};
  FramePlacement placement = Read();
  EXPECT_EQ(Settings.backIndex, 15);  // "TextColor" is the background
  EXPECT_EQ(Settings.textIndex, 1);
  EXPECT_EQ(Settings.backColour, 0xFFFFFFu);
  EXPECT_EQ(Settings.textColour, 0x800000u);
  EXPECT_EQ(Settings.charsPerLine, 16);
  EXPECT_EQ(Settings.lineSpacing, 2);
  EXPECT_EQ(CodeType, CodeGb);  // 7 names no code
  EXPECT_EQ(Settings.showToolbar, 0);
  EXPECT_EQ(Settings.supportHZ, 0);
  EXPECT_EQ(placement.left, 100);
  EXPECT_FALSE(IsUsablePlacement(placement));  // Right left of Left
  WriteStored("CharsPerLine", "1000");
  WriteStored("LinePitch", "17");
  WriteStored("Country", "2");
  Read();
  EXPECT_EQ(Settings.charsPerLine, 512);
  EXPECT_EQ(Settings.lineSpacing, 16);
  EXPECT_EQ(CodeType, CodeShiftJis);
  ResetCoreState();
}

TEST(SettingsStore, PlacementNeedsWidthAndHeightWithoutWrapping) {
  EXPECT_TRUE(IsUsablePlacement({10, 20, 810, 620}));
  EXPECT_FALSE(IsUsablePlacement({10, 20, 10, 620}));
  EXPECT_FALSE(IsUsablePlacement({10, 620, 810, 20}));
  EXPECT_FALSE(IsUsablePlacement({INT_MAX, 0, INT_MIN, 10}));
}

TEST(SettingsStore, WritingStoresElevenKeysAndReadsBackTheSame) {
  stored.clear();
  ResetCoreState();
  Settings.charsPerLine = 100;
  Settings.lineSpacing = 4;
  Settings.backIndex = 2;
  Settings.textIndex = 14;
  Settings.showToolbar = 0;
  Settings.supportHZ = 0;
  CodeType = CodeBig5;
  FramePlacement frame{5, 6, 705, 506};
  WriteStoredSettings(WriteStored, CodeType, &frame);
  EXPECT_EQ(stored.size(), 11u);
  EXPECT_EQ(stored["TextColor"], "2");
  EXPECT_EQ(stored["BackColor"], "14");
  EXPECT_EQ(stored["Country"], "1");
  EXPECT_EQ(stored["Right"], "705");
  FramePlacement back = Read();
  EXPECT_EQ(Settings.charsPerLine, 100);
  EXPECT_EQ(Settings.lineSpacing, 4);
  EXPECT_EQ(Settings.backIndex, 2);
  EXPECT_EQ(Settings.textIndex, 14);
  EXPECT_EQ(Settings.showToolbar, 0);
  EXPECT_EQ(Settings.supportHZ, 0);
  EXPECT_EQ(CodeType, CodeBig5);
  EXPECT_EQ(back.left, 5);
  EXPECT_EQ(back.bottom, 506);
  // A maximised frame leaves the stored rectangle alone.
  WriteStored("Left", "1");
  WriteStoredSettings(WriteStored, CodeType, nullptr);
  EXPECT_EQ(stored["Left"], "1");
  ResetCoreState();
}
