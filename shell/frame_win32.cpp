#include "shell/frame_win32.h"

#include <commctrl.h>
#include <shellapi.h>

#include "convert/convert_dialog_win32.h"
#include "dialogs/option_dialogs_win32.h"
#include "document/code_commands_win32.h"
#include "document/document.h"
#include "document/open_document_win32.h"
#include "print/page_setup_win32.h"
#include "print/print_job_win32.h"
#include "resources/resource_ids.h"
#include "shell/command_line.h"
#include "shell/dispatch_win32.h"
#include "shell/font_path.h"
#include "shell/frame_layout.h"
#include "shell/save_part_win32.h"
#include "shell/selection.h"
#include "shell/settings_file_win32.h"
#include "shell/settings_values.h"
#include "shell/text_view_win32.h"
#include "shell/wide_text_win32.h"

HINSTANCE AppInstance = nullptr;
char AppName[AppNameCapacity] = "";
char TitleText[TitleTextCapacity] = "";
HWND FrameWindow = nullptr;
HWND ViewWindow = nullptr;
HWND ToolbarWindow = nullptr;
HMENU FrameMenu = nullptr;
HBRUSH FrameBrush = nullptr;
char TooltipText[TooltipCapacity] = "";

namespace {
const TBBUTTON ToolbarButtons[] = {
    {0, ZK_CMD_OPEN, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {1, ZK_CMD_SAVE_PART, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {2, ZK_CMD_PRINT, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {8, ZK_CMD_CONVERT_BIG5, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {10, ZK_CMD_CONVERT_HZ, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {9, ZK_CMD_CONVERT_SJIS, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
    {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
    {4, ZK_CMD_CODE_GB, TBSTATE_ENABLED, BTNS_CHECKGROUP, {}, 0, 0},
    {5, ZK_CMD_CODE_BIG5, TBSTATE_ENABLED, BTNS_CHECKGROUP, {}, 0, 0},
    {7, ZK_CMD_CODE_SJIS, TBSTATE_ENABLED, BTNS_CHECKGROUP, {}, 0, 0},
    {0, 0, TBSTATE_ENABLED, BTNS_SEP, {}, 0, 0},
    {3, ZK_CMD_ABOUT, TBSTATE_ENABLED, BTNS_BUTTON, {}, 0, 0},
};
constexpr int ToolbarImageCount = 11;

int32_t OnExit(HWND frame, WPARAM, WPARAM, LPARAM) {
  DestroyWindow(frame);
  return 0;
}

int32_t OnToggleToolbar(HWND, WPARAM, WPARAM, LPARAM) {
  // Any stored non-zero value counts as shown, and a toggle always flips it.
  Settings.showToolbar = Settings.showToolbar != 0 ? 0 : 1;
  ApplyToolbarVisibility();
  return 0;
}

const CommandEntry FrameCommandRows[] = {
    {ZK_CMD_OPEN, OnOpenCommand},
    {ZK_CMD_SAVE_PART, SavePart},
    {ZK_CMD_CONVERT_BIG5, ShowConvertDialog},
    {ZK_CMD_CONVERT_SJIS, ShowConvertDialog},
    {ZK_CMD_CONVERT_HZ, ShowConvertDialog},
    {ZK_CMD_LINE_WIDTH, ShowLineWidthDialog},
    {ZK_CMD_COLOUR, ShowColourDialog},
    {ZK_CMD_PAGE_SETUP, ShowPageSetup},
    {ZK_CMD_PRINT, ShowPrintDialog},
    {ZK_CMD_CODE_GB, OnCodeCommand},
    {ZK_CMD_CODE_BIG5, OnCodeCommand},
    {ZK_CMD_CODE_SJIS, OnCodeCommand},
    {ZK_CMD_SUPPORT_HZ, ToggleHzSupport},
    {ZK_CMD_EXIT, OnExit},
    {ZK_CMD_TOOLBAR, OnToggleToolbar},
    {ZK_CMD_ABOUT, ShowAboutBox},
    {ZK_CMD_TABLE_GB, MakeTableFileCommand},
    {ZK_CMD_TABLE_BIG5, MakeTableFileCommand},
    {ZK_CMD_TABLE_SJIS, MakeTableFileCommand},
};
constexpr CommandTable FrameCommands = MakeCommandTable(FrameCommandRows, DefaultWindow);

int32_t OnFrameCommand(HWND frame, UINT, WPARAM wParam, LPARAM lParam) {
  return static_cast<int32_t>(DispatchByCommand(FrameCommands, frame, wParam, lParam));
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
  bool built = CreateToolbar(frame) && (ViewWindow = CreateViewWindow(frame)) != nullptr;
  RefreshModulePath();
  DragAcceptFiles(frame, TRUE);
  SendMessageA(frame, WM_COMMAND, ZK_CMD_CODE_GB + CodeType, 0);
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

void CheckCommand(UINT id, bool on) { CheckMenuItem(FrameMenu, id, MF_BYCOMMAND | (on ? MF_CHECKED : MF_UNCHECKED)); }

void EnableCommand(UINT id, bool on) {
  SendMessageA(ToolbarWindow, TB_ENABLEBUTTON, id, MAKELPARAM(on ? TRUE : FALSE, 0));
}

bool ToolbarShown() {
  // The style, not IsWindowVisible: before the frame is first shown its
  // children count as invisible although they will be seen.
  return ToolbarWindow != nullptr && (GetWindowLongPtrA(ToolbarWindow, GWL_STYLE) & WS_VISIBLE) != 0;
}
}  // namespace

LRESULT CALLBACK FrameWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(FrameMessages, window, message, wParam, lParam);
}

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

void UpdateCommandState(HWND) {
  const bool selected = HasSelection();
  const bool lines = Document.lineCount != 0;
  EnableCommand(ZK_CMD_SAVE_PART, selected);
  EnableCommand(ZK_CMD_PRINT, lines);
  SendMessageA(ToolbarWindow, TB_CHECKBUTTON, ZK_CMD_CODE_GB + CodeType, MAKELPARAM(TRUE, 0));
  EnableMenuItem(FrameMenu, ZK_CMD_SAVE_PART, MF_BYCOMMAND | (selected ? MF_ENABLED : MF_GRAYED));
  EnableMenuItem(FrameMenu, ZK_CMD_PRINT, MF_BYCOMMAND | (lines ? MF_ENABLED : MF_GRAYED));
  CheckCommand(ZK_CMD_CODE_GB, CodeType == CodeGb);
  CheckCommand(ZK_CMD_CODE_BIG5, CodeType == CodeBig5);
  CheckCommand(ZK_CMD_CODE_SJIS, CodeType == CodeShiftJis);
  CheckCommand(ZK_CMD_SUPPORT_HZ, Settings.supportHZ != 0);
  ApplyToolbarVisibility();
}

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
  CheckCommand(ZK_CMD_TOOLBAR, Settings.showToolbar != 0);
}

bool CreateToolbar(HWND frame) {
  ToolbarWindow = CreateToolbarEx(frame, WS_CHILD | WS_VISIBLE | TBSTYLE_TOOLTIPS, ZK_TOOLBAR_ID, ToolbarImageCount,
                                  AppInstance, ZK_TOOLBAR_BITMAP, ToolbarButtons,
                                  static_cast<int>(sizeof ToolbarButtons / sizeof ToolbarButtons[0]), 0, 0, 24, 23,
                                  sizeof(TBBUTTON));
  return ToolbarWindow != nullptr;
}

HWND CreateViewWindow(HWND frame) {
  return CreateWindowExA(0, ViewClassName, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, -100, -100, 10, 10, frame,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(-1)), AppInstance, nullptr);
}

void RefreshModulePath() {
  wchar_t wide[PathCapacity];
  char path[PathCapacity];
  DWORD length = GetModuleFileNameW(nullptr, wide, PathCapacity);
  // A path cut by the buffer would name some other file.
  if (length == 0 || length >= PathCapacity || !Utf8FromWide(wide, path, sizeof path)) path[0] = '\0';
  SetModulePath(path);
}

void OpenCommandLine(const char* text) {
  char token[PathCapacity];
  size_t cursor = 0;
  bool first = true;
  while (NextCommandLineToken(text, &cursor, token, sizeof token)) {
    if (first) {
      OpenDocument(FrameWindow, token);
      first = false;
    } else {
      RefreshModulePath();
      StartInstanceWithFile(token);
    }
  }
}

void StartInstanceWithFile(const char* path) {
  char command[InstanceCommandCapacity];
  // A command that does not fit starts nothing, as a failed start would.
  if (ModulePath[0] == '\0' || !FormatInstanceCommand(command, sizeof command, ModulePath, path)) return;
  // The wide form, so that a name in any script reaches the new instance.
  std::wstring line = WideFromUtf8(command);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}
