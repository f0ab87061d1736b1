// The settings as the settings file stores them.
#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "document/document.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"

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

// Reads "Key=value Key=value ..." as the stored file, over settings unlike
// any a file gives; then the settings, the code and the frame read.
std::vector<long long> ReadBack(const std::string& file) {
  stored.clear();
  std::istringstream entries(file);
  for (std::string entry; entries >> entry;)
    stored[entry.substr(0, entry.find('='))] = entry.substr(entry.find('=') + 1);
  Settings = SettingsRecord{33, 5, 3, 4, 0, 0, 7, 7};
  CodeType = -1;
  FramePlacement frame{-9, -9, -9, -9};
  ReadStoredSettings(ReadStored, &frame, &CodeType);
  const SettingsRecord& s = Settings;
  return {s.charsPerLine, s.lineSpacing, s.textIndex, s.backIndex, s.textColour, s.backColour, s.showToolbar,
          s.supportHZ,    CodeType,      frame.left,  frame.top,   frame.right,  frame.bottom};
}
}  // namespace

TEST(SettingsStore, StoredValuesAreReadIntoRangeAndMissingOnesAreTheStartUpValues) {
  // Cells, spacing, text and background colour indexes and colours, toolbar,
  // HZ, code, frame. "TextColor" holds the background, "BackColor" the
  // characters; a width typed as a huge number is the widest, not a negative one.
  const SettingsRecord s;
  const std::pair<std::string, std::vector<long long>> cases[] = {
      {"",
       {s.charsPerLine, s.lineSpacing, s.textIndex, s.backIndex, s.textColour, s.backColour, s.showToolbar, s.supportHZ,
        CodeGb, 0, 0, 0, 0}},
      {"TextColor=20 BackColor=-3 CharsPerLine=8 LinePitch=0 Country=7 ToolBar=0 SupportHZ=0 Left=100 Top=10 "
       "Right=50 Bottom=300",
       {16, 2, 1, 15, 0x800000, 0xFFFFFF, 0, 0, CodeGb, 100, 10, 50, 300}},
      {"CharsPerLine=1000 LinePitch=17 Country=2 TextColor=0 BackColor=14",
       {512, 16, 14, 0, 0x00FFFF, 0, 1, 1, CodeShiftJis, 0, 0, 0, 0}},
      {"CharsPerLine=4294967376 Country=-1 BackColor=0", {512, 8, 0, 1, 0, 0x800000, 1, 1, CodeGb, 0, 0, 0, 0}},
      {"CharsPerLine=100cells Country=1", {100, 8, 15, 1, 0xFFFFFF, 0x800000, 1, 1, CodeBig5, 0, 0, 0, 0}}};
  for (const auto& [file, read] : cases) EXPECT_EQ(ReadBack(file), read) << file;
  // The sixteen colours: bit 2 red, bit 1 green, bit 0 blue, bit 3 bright;
  // 8 is light grey.
  auto colour = [](long long i) -> long long {
    if (i == 8) return 0xC0C0C0;
    long long level = (i & 8) ? 0xFF : 0x80;
    return ((i & 4) ? level : 0) | ((i & 2) ? level << 8 : 0) | ((i & 1) ? level << 16 : 0);
  };
  for (int index = 0; index < 16; ++index) {
    std::vector<long long> read =
        ReadBack("TextColor=" + std::to_string(index) + " BackColor=" + std::to_string(15 - index));
    EXPECT_EQ(std::make_pair(read[4], read[5]), std::make_pair(colour(15 - index), colour(index))) << index;
  }
}

TEST(SettingsStore, WrittenSettingsReadBackTheSameAndAFrameNeedsWidthAndHeight) {
  Settings = SettingsRecord{100, 4, 14, 2, 0x00FFFF, 0x008000, 0, 0};
  FramePlacement frame{5, 6, 705, 506};
  stored.clear();
  WriteStoredSettings(WriteStored, CodeBig5, &frame);
  std::string file;
  for (const auto& [key, value] : stored) file += key + "=" + value + " ";
  EXPECT_EQ(file,
            "BackColor=14 Bottom=506 CharsPerLine=100 Country=1 Left=5 LinePitch=4 Right=705 SupportHZ=0 TextColor=2 "
            "ToolBar=0 Top=6 ");
  EXPECT_EQ(ReadBack(file),
            (std::vector<long long>{100, 4, 14, 2, 0x00FFFF, 0x008000, 0, 0, CodeBig5, 5, 6, 705, 506}));
  // A maximised frame leaves the stored rectangle alone.
  WriteStored("Left", "1");
  WriteStoredSettings(WriteStored, CodeBig5, nullptr);
  EXPECT_EQ(stored["Left"], "1");
  const std::pair<FramePlacement, bool> frames[] = {
      {{10, 20, 810, 620}, true},  {{10, 20, 10, 620}, false},         {{10, 620, 810, 20}, false},
      {{100, 10, 50, 300}, false}, {{INT_MAX, 0, INT_MIN, 10}, false}, {{0, INT_MAX, 10, INT_MIN}, false}};
  for (const auto& [rect, usable] : frames) EXPECT_EQ(IsUsablePlacement(rect), usable) << rect.left << " " << rect.top;
}
