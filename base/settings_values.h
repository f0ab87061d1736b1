// The process-wide settings and the rules that bring stored values into range.
#pragma once

#include <cstdint>

struct SettingsRecord {
  int charsPerLine = 80;  // cells per display line
  int lineSpacing = 8;    // pixel rows between display lines
  int textIndex = 15;     // ColourPalette index of the characters
  int backIndex = 1;      // ColourPalette index of the background
  uint32_t textColour = 0xFFFFFF;
  uint32_t backColour = 0x800000;
  int showToolbar = 1;
  int supportHZ = 1;
};

extern SettingsRecord Settings;

// 16 colours as 0x00BBGGRR.
extern const uint32_t ColourPalette[16];

constexpr int MinCharsPerLine = 16;
constexpr int MaxCharsPerLine = 512;
constexpr int MinLineSpacing = 2;
constexpr int MaxLineSpacing = 16;

int ClampCharsPerLine(int value);
int ClampLineSpacing(int value);
// The spacing a line is drawn with: the line width dialog also gives 0 and
// 1, which hold until the program ends (the settings file reads them as 2).
int DrawnLineSpacing(int value);
// Above 15 becomes 15, below 0 becomes 1.
int ClampColourIndex(int value);
// A stored code outside 0..3 becomes GB.
int ClampCodeType(int value);

// What "Country" stores for a code: 0 GB, 1 Big5, 2 Shift JIS, 3 Unicode in
// any of its forms (a stored 3 reads back as UTF-8, the form a new text is
// taken in until its own is known).
int StoredCodeType(int code);

// textColour and backColour from their indexes.
void ApplyColourIndexes();
