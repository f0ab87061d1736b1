#include "shell/settings_file_win32.h"

#include <shlobj.h>

#include <string>
#include <vector>

#include "document/document.h"
#include "shell/settings_store.h"
#include "shell/settings_values.h"
#include "shell/wide_text_win32.h"

HBRUSH SettingsBrush = nullptr;

namespace {
std::wstring settingsPath;

// The values are 8-bit text (a header template holds GB bytes): they cross
// the wide functions in the system's code page and come back unchanged.
std::wstring WideValue(const char* text) { return WideFromCodePage(text, CP_ACP); }

const wchar_t* WideSettingsPath() {
  if (!settingsPath.empty()) return settingsPath.c_str();
  // A bare name would land in the Windows directory, which an ordinary user
  // cannot write: the settings would be lost without a word.
  wchar_t folder[MAX_PATH] = L"";
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr, 0, folder))) {
    std::wstring directory = std::wstring(folder) + L"\\ZK";
    CreateDirectoryW(directory.c_str(), nullptr);
    settingsPath = directory + L"\\" + WideValue(SettingsFileName);
  } else {
    settingsPath = WideValue(SettingsFileName);
  }
  return settingsPath.c_str();
}

BOOL CALLBACK CollectWorkArea(HMONITOR monitor, HDC, LPRECT, LPARAM data) {
  MONITORINFO info{};
  info.cbSize = sizeof info;
  if (GetMonitorInfoW(monitor, &info)) {
    const RECT& work = info.rcWork;
    reinterpret_cast<std::vector<FramePlacement>*>(data)->push_back({work.left, work.top, work.right, work.bottom});
  }
  return TRUE;
}
}  // namespace

std::string SettingsFilePath() { return Utf8FromWide(WideSettingsPath()); }

bool ReadProfileText(const char* key, char* dest, size_t destSize) {
  if (dest == nullptr || destSize == 0) return false;
  dest[0] = '\0';
  std::vector<wchar_t> wide(destSize);
  DWORD length = GetPrivateProfileStringW(WideValue(SettingsSection).c_str(), WideValue(key).c_str(), L"", wide.data(),
                                          static_cast<DWORD>(wide.size()), WideSettingsPath());
  if (length == 0) return false;
  int written = WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, dest, static_cast<int>(destSize), nullptr, nullptr);
  // A value too long for `dest` is cut, never left unterminated.
  if (written <= 0) dest[destSize - 1] = '\0';
  return true;
}

void WriteProfileText(const char* key, const char* text) {
  WritePrivateProfileStringW(WideValue(SettingsSection).c_str(), WideValue(key).c_str(), WideValue(text).c_str(),
                             WideSettingsPath());
}

int ReadProfileInteger(const char* key, int fallback) { return ReadSettingInteger(ReadProfileText, key, fallback); }

void LoadSettings(HWND frame) {
  FramePlacement stored;
  ReadStoredSettings(ReadProfileText, &stored, &CodeType);
  if (SettingsBrush != nullptr) DeleteObject(SettingsBrush);
  SettingsBrush = CreateSolidBrush(Settings.backColour);
  SetClassLongPtrA(frame, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(SettingsBrush));
  std::vector<FramePlacement> workAreas;
  EnumDisplayMonitors(nullptr, nullptr, CollectWorkArea, reinterpret_cast<LPARAM>(&workAreas));
  if (!IsUsablePlacement(stored) || !MeetsAnyArea(stored, workAreas.data(), workAreas.size())) {
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
