#include "shell/frame_windows_win32.h"

#include "base/settings_values.h"
#include "shell/frame_layout.h"
#include "shell/settings_file_win32.h"

char AppName[AppNameCapacity] = "";
char TitleText[TitleTextCapacity] = "";
HWND FrameWindow = nullptr;
HWND ViewWindow = nullptr;
HWND ToolbarWindow = nullptr;
HMENU FrameMenu = nullptr;
HBRUSH FrameBrush = nullptr;

namespace {
bool ToolbarShown() {
  // The style, not IsWindowVisible: before the frame is first shown its
  // children count as invisible although they will be seen.
  return ToolbarWindow != nullptr && (GetWindowLongPtrA(ToolbarWindow, GWL_STYLE) & WS_VISIBLE) != 0;
}
}  // namespace

void LayoutFrame(HWND frame) {
  if (frame == nullptr || ViewWindow == nullptr) return;
  RECT client{};
  GetClientRect(frame, &client);
  int toolbarHeight = 0;
  if (ToolbarShown()) {
    // The whole toolbar, its divider included: measured by its client area
    // alone it would cover the view's top pixel row.
    RECT bar{};
    GetWindowRect(ToolbarWindow, &bar);
    toolbarHeight = bar.bottom - bar.top;
  }
  ViewPlacement place = PlaceView(client.right, client.bottom, ToolbarShown(), toolbarHeight);
  MoveWindow(ViewWindow, place.x, place.y, place.width, place.height, TRUE);
}

void ApplyToolbarVisibility() {
  if (ToolbarWindow != nullptr) ShowWindow(ToolbarWindow, Settings.showToolbar != 0 ? SW_SHOW : SW_HIDE);
  LayoutFrame(FrameWindow);
}

void ApplyFrameBackground() {
  // The new brush becomes the background of both classes before the old
  // ones go, so no window is ever left with a deleted brush.
  HBRUSH brush = CreateSolidBrush(Settings.backColour);
  SetClassLongPtrA(FrameWindow, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
  if (ViewWindow != nullptr) SetClassLongPtrA(ViewWindow, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(brush));
  if (FrameBrush != nullptr) DeleteObject(FrameBrush);
  if (SettingsBrush != nullptr) DeleteObject(SettingsBrush);
  FrameBrush = brush;
  SettingsBrush = nullptr;
}
