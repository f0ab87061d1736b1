#include "shell/settings_file_win32.h"

#include <vector>

#include "base/profile_win32.h"
#include "base/settings_values.h"
#include "document/document.h"
#include "shell/settings_store.h"

HBRUSH SettingsBrush = nullptr;

namespace {
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
