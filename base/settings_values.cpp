#include "base/settings_values.h"

SettingsRecord Settings;

const uint32_t ColourPalette[16] = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0x808080,
    0xC0C0C0, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF,
};

int ClampCharsPerLine(int value) {
  if (value < MinCharsPerLine) return MinCharsPerLine;
  if (value > MaxCharsPerLine) return MaxCharsPerLine;
  return value;
}

int ClampLineSpacing(int value) {
  if (value > MaxLineSpacing) return MaxLineSpacing;
  if (value < MinLineSpacing) return MinLineSpacing;
  return value;
}

int DrawnLineSpacing(int value) { return value < 0 ? 0 : value > MaxLineSpacing ? MaxLineSpacing : value; }

int ClampColourIndex(int value) {
  if (value > 15) return 15;
  if (value < 0) return 1;
  return value;
}

int ClampCodeType(int value) { return value >= 0 && value <= 3 ? value : 0; }

int StoredCodeType(int code) { return code >= 3 && code <= 5 ? 3 : ClampCodeType(code); }

void ApplyColourIndexes() {
  Settings.textColour = ColourPalette[ClampColourIndex(Settings.textIndex)];
  Settings.backColour = ColourPalette[ClampColourIndex(Settings.backIndex)];
}
