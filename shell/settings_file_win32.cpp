#include "shell/settings_file_win32.h"

#include <shlobj.h>

#include <cstdio>
#include <cstring>

#include "document/document.h"
#include "shell/font_path.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"

HBRUSH SettingsBrush = nullptr;

namespace {
char settingsPath[PathCapacity] = "";

bool ReadProfileText(const char* key, char* dest, size_t destSize) {
  DWORD length =
      GetPrivateProfileStringA(SettingsSection, key, "", dest, static_cast<DWORD>(destSize), SettingsFilePath());
  return length > 0;
}

void WriteProfileText(const char* key, const char* text) {
  WritePrivateProfileStringA(SettingsSection, key, text, SettingsFilePath());
}
}  // namespace

const char* SettingsFilePath() {
  if (settingsPath[0] != '\0') return settingsPath;
  // A bare name would land in the Windows directory, which an ordinary user
  // cannot write: the settings would be lost without a word.
  char folder[MAX_PATH] = "";
  if (SUCCEEDED(SHGetFolderPathA(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) {
    char directory[PathCapacity];
    std::snprintf(directory, sizeof directory, "%s\\ZK", folder);
    CreateDirectoryA(directory, nullptr);
    int length = std::snprintf(settingsPath, sizeof settingsPath, "%s\\%s", directory, SettingsFileName);
    if (length > 0 && static_cast<size_t>(length) < sizeof settingsPath) return settingsPath;
  }
  std::snprintf(settingsPath, sizeof settingsPath, "%s", SettingsFileName);
  return settingsPath;
}

int ReadProfileInteger(const char* key, int fallback) { return ReadSettingInteger(ReadProfileText, key, fallback); }

void LoadSettings(HWND frame) {
  FramePlacement stored;
  ReadStoredSettings(ReadProfileText, &stored, &CodeType);
  if (SettingsBrush != nullptr) DeleteObject(SettingsBrush);
  SettingsBrush = CreateSolidBrush(Settings.backColour);
  SetClassLongPtrA(frame, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(SettingsBrush));
  if (!IsUsablePlacement(stored)) {
    RECT present{};
    GetWindowRect(frame, &present);
    stored = {present.left, present.top, present.right, present.bottom};
  }
  SetWindowPos(frame, nullptr, stored.left, stored.top, stored.right - stored.left, stored.bottom - stored.top,
               SWP_NOREDRAW | SWP_NOZORDER);
}

void SaveSettings(HWND frame) {
  FramePlacement placement;
  bool keepPlacement = IsZoomed(frame) || IsIconic(frame);
  if (!keepPlacement) {
    RECT rect{};
    GetWindowRect(frame, &rect);
    placement = {rect.left, rect.top, rect.right, rect.bottom};
  }
  WriteStoredSettings(WriteProfileText, CodeType, keepPlacement ? nullptr : &placement);
  if (SettingsBrush != nullptr) {
    DeleteObject(SettingsBrush);
    SettingsBrush = nullptr;
  }
}
