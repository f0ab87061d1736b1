#include "shell/settings_store.h"

#include <climits>
#include <cstdio>

#include "base/integer_text.h"
#include "base/settings_values.h"

namespace {
constexpr size_t SettingTextCapacity = 64;

void WriteInteger(WriteSettingText write, const char* key, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  write(key, text);
}

// A key read as an integer, `fallback` when it is missing.
int ReadSettingInteger(ReadSettingText read, const char* key, int fallback) {
  char text[SettingTextCapacity] = "";
  if (!read(key, text, sizeof text)) return fallback;
  return ReadLeadingInteger(text);
}
}  // namespace

bool IsUsablePlacement(const FramePlacement& rect) {
  // In 64 bits: opposite extremes must not wrap into a positive size.
  return static_cast<long long>(rect.right) - rect.left > 0 && static_cast<long long>(rect.bottom) - rect.top > 0;
}

bool MeetsAnyArea(const FramePlacement& rect, const FramePlacement* areas, size_t count) {
  for (size_t k = 0; k < count; ++k) {
    const FramePlacement& area = areas[k];
    if (rect.left < area.right && area.left < rect.right && rect.top < area.bottom && area.top < rect.bottom) {
      return true;
    }
  }
  return false;
}

void ReadStoredSettings(ReadSettingText read, FramePlacement* placement, int* code) {
  // "TextColor" holds the background and "BackColor" the characters: files
  // already written store them so.
  Settings.backIndex = ClampColourIndex(ReadSettingInteger(read, "TextColor", 1));
  Settings.textIndex = ClampColourIndex(ReadSettingInteger(read, "BackColor", 15));
  ApplyColourIndexes();
  Settings.charsPerLine = ClampCharsPerLine(ReadSettingInteger(read, "CharsPerLine", 80));
  Settings.lineSpacing = ClampLineSpacing(ReadSettingInteger(read, "LinePitch", 8));
  placement->left = ReadSettingInteger(read, "Left", 0);
  placement->top = ReadSettingInteger(read, "Top", 0);
  placement->right = ReadSettingInteger(read, "Right", 0);
  placement->bottom = ReadSettingInteger(read, "Bottom", 0);
  // The font table and the code commands know codes 0 to 2 only.
  *code = ClampCodeType(ReadSettingInteger(read, "Country", 0));
  Settings.showToolbar = ReadSettingInteger(read, "ToolBar", 1);
  Settings.supportHZ = ReadSettingInteger(read, "SupportHZ", 1);
}

void WriteStoredSettings(WriteSettingText write, int code, const FramePlacement* placement) {
  WriteInteger(write, "CharsPerLine", Settings.charsPerLine);
  WriteInteger(write, "LinePitch", Settings.lineSpacing);
  WriteInteger(write, "TextColor", Settings.backIndex);
  WriteInteger(write, "BackColor", Settings.textIndex);
  WriteInteger(write, "Country", StoredCodeType(code));
  WriteInteger(write, "ToolBar", Settings.showToolbar);
  WriteInteger(write, "SupportHZ", Settings.supportHZ);
  if (placement == nullptr) return;
  WriteInteger(write, "Left", placement->left);
  WriteInteger(write, "Top", placement->top);
  WriteInteger(write, "Right", placement->right);
  WriteInteger(write, "Bottom", placement->bottom);
}
