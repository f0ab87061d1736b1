#include "shell/frame_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "base/dispatch_win32.h"
#include "base/instance_win32.h"
#include "base/profile_win32.h"
#include "base/program_path_win32.h"
#include "base/settings_values.h"
#include "base/wide_text_win32.h"
#include "document/document.h"
#include "resources/resource_ids.h"
#include "shell/code_commands_win32.h"
#include "shell/commands_win32.h"
#include "shell/edit_commands_win32.h"
#include "shell/frame_windows_win32.h"
#include "shell/settings_file_win32.h"
#include "shell/text_view_win32.h"

namespace {
constexpr size_t TooltipCapacity = 64;
char TooltipText[TooltipCapacity] = "";

HWND CreateViewWindow(HWND frame) {
  return CreateWindowExA(0, ViewClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, -100, -100, 10, 10, frame,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)), AppInstance, nullptr);
}

int32_t OnFrameCommand(HWND frame, UINT, WPARAM wParam, LPARAM lParam) {
  return static_cast<int32_t>(RunFrameCommand(frame, wParam, lParam));
}

int32_t OnFrameKeyDown(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ViewWindow != nullptr) SendMessageA(ViewWindow, message, wParam, lParam);
  return 0;
}

int32_t OnToolbarNotify(HWND, UINT, WPARAM, LPARAM lParam) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (header == nullptr) return 0;
  // A wide frame is asked in the wide form; the text is the same string.
  static wchar_t wideTip[TooltipCapacity];
  if (header->code == TTN_NEEDTEXTA) {
    TooltipText[0] = '\0';
    LoadStringA(AppInstance, static_cast<UINT>(header->idFrom), TooltipText, sizeof TooltipText);
    reinterpret_cast<NMTTDISPINFOA*>(lParam)->lpszText = TooltipText;
  } else if (header->code == TTN_NEEDTEXTW) {
    wideTip[0] = L'\0';
    LoadStringW(AppInstance, static_cast<UINT>(header->idFrom), wideTip, TooltipCapacity);
    reinterpret_cast<NMTTDISPINFOW*>(lParam)->lpszText = wideTip;
  }
  return 0;
}

int32_t OnFrameSize(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ToolbarWindow != nullptr) SendMessageA(ToolbarWindow, message, wParam, lParam);
  if (wParam != SIZE_MINIMIZED) LayoutFrame(frame);
  return 0;
}

int32_t OnFrameCreate(HWND frame, UINT, WPARAM, LPARAM) {
  FrameMenu = GetMenu(frame);
  LoadSettings(frame);
  FrameBrush = CreateSolidBrush(Settings.backColour);
  SetClassLongPtrA(frame, GCLP_HBRBACKGROUND, reinterpret_cast<LONG_PTR>(FrameBrush));
  InitCommonControls();
  ToolbarWindow = CreateCommandToolbar(frame);
  bool built = ToolbarWindow != nullptr && (ViewWindow = CreateViewWindow(frame)) != nullptr;
  RefreshModulePath();
  DragAcceptFiles(frame, TRUE);
  SendMessageA(frame, WM_COMMAND, static_cast<WPARAM>(CodeCommandId(CodeType)), 0);
  // A font that could not be loaded has destroyed the frame already.
  if (!IsWindow(frame)) return -1;
  UpdateCommandState(frame);
  if (ReadProfileInteger("TabFile", 0) == 0) {
    DeleteMenu(FrameMenu, ZK_CMD_TABLE_GB, MF_BYCOMMAND);
    DeleteMenu(FrameMenu, ZK_CMD_TABLE_BIG5, MF_BYCOMMAND);
    DeleteMenu(FrameMenu, ZK_CMD_TABLE_SJIS, MF_BYCOMMAND);
  }
  return built ? 0 : -1;
}

int32_t OnFrameDestroy(HWND frame, UINT, WPARAM, LPARAM) {
  SaveSettings(frame);
  if (FrameBrush != nullptr) {
    DeleteObject(FrameBrush);
    FrameBrush = nullptr;
  }
  PostQuitMessage(0);
  return 0;
}

int32_t OnFrameDropFiles(HWND, UINT message, WPARAM wParam, LPARAM lParam) {
  if (ViewWindow != nullptr) PostMessageA(ViewWindow, message, wParam, lParam);
  return 0;
}

const MessageEntry FrameMessageRows[] = {
    {WM_KEYDOWN, OnFrameKeyDown},     {WM_NOTIFY, OnToolbarNotify}, {WM_COMMAND, OnFrameCommand},
    {WM_SIZE, OnFrameSize},           {WM_CREATE, OnFrameCreate},   {WM_DESTROY, OnFrameDestroy},
    {WM_DROPFILES, OnFrameDropFiles},
};
constexpr MessageTable FrameMessages = MakeMessageTable(FrameMessageRows, DefaultWindow);

LRESULT CALLBACK FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The find dialog's message has its number only once the program runs.
  if (IsFindMessage(message)) return OnFindMessage(window, lParam);
  return DispatchByMessage(FrameMessages, window, message, wParam, lParam);
}
}  // namespace

bool InitApplication(HINSTANCE instance, int showCommand) {
  AppInstance = instance;
  LoadStringA(instance, ZK_STRING_APP_NAME, AppName, sizeof AppName);
  LoadStringA(instance, ZK_STRING_TITLE, TitleText, sizeof TitleText);
  // The frame alone is a wide window: its title names a path in any script,
  // which an 8-bit window would keep (and draw) only as far as the code
  // page reaches.
  std::wstring name = WideFromUtf8(AppName);
  WNDCLASSEXW frameClass{};
  frameClass.cbSize = sizeof frameClass;
  frameClass.lpfnWndProc = FrameWndProc;
  frameClass.hInstance = instance;
  frameClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(ZK_ICON));
  frameClass.hIconSm = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(ZK_ICON), IMAGE_ICON, 16, 16, 0));
  frameClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  frameClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  frameClass.lpszMenuName = name.c_str();
  frameClass.lpszClassName = name.c_str();
  if (RegisterClassExW(&frameClass) == 0) {
    WNDCLASSW plain{};
    plain.lpfnWndProc = frameClass.lpfnWndProc;
    plain.hInstance = instance;
    plain.hIcon = frameClass.hIcon;
    plain.hCursor = frameClass.hCursor;
    plain.hbrBackground = frameClass.hbrBackground;
    plain.lpszMenuName = name.c_str();
    plain.lpszClassName = name.c_str();
    if (RegisterClassW(&plain) == 0) return false;
  }
  WNDCLASSA viewClass{};
  viewClass.lpfnWndProc = ViewWndProc;
  viewClass.hInstance = instance;
  viewClass.hCursor = frameClass.hCursor;
  viewClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  viewClass.lpszClassName = ViewClassName;
  if (RegisterClassA(&viewClass) == 0) return false;
  HWND frame = CreateWindowExW(0, name.c_str(), WideFromUtf8(TitleText).c_str(), WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, 0,
                               CW_USEDEFAULT, 0, nullptr, nullptr, instance, nullptr);
  if (frame == nullptr) return false;
  FrameWindow = frame;
  // The layout asked for during the creation found no frame yet.
  LayoutFrame(frame);
  ShowWindow(frame, showCommand);
  UpdateWindow(frame);
  return true;
}
