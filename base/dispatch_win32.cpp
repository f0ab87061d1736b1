#include "base/dispatch_win32.h"

#include "base/window_place.h"

namespace {
LRESULT CallDefaultProc(int32_t kind, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // A wide window's messages carry wide text: its default procedure is the
  // wide one.
  const bool wide = window != nullptr && IsWindowUnicode(window);
  switch (kind) {
    case DefaultWindow:
      return wide ? DefWindowProcW(window, message, wParam, lParam) : DefWindowProcA(window, message, wParam, lParam);
    default:
      return 0;
  }
}
}  // namespace

LRESULT DispatchByMessage(const MessageTable& table, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  for (int32_t i = 0; i < table.count; ++i) {
    if (table.entries[i].key == message) return table.entries[i].handler(window, message, wParam, lParam);
  }
  return CallDefaultProc(table.defaultKind, window, message, wParam, lParam);
}

LRESULT DispatchByCommand(const CommandTable& table, HWND window, WPARAM wParam, LPARAM lParam) {
  for (int32_t i = 0; i < table.count; ++i) {
    if ((table.entries[i].key & 0xFFFF) == (wParam & 0xFFFF)) {
      return table.entries[i].handler(window, wParam, (wParam >> 16) & 0xFFFF, lParam);
    }
  }
  return CallDefaultProc(table.defaultKind, window, WM_COMMAND, wParam, lParam);
}

int32_t CloseDialog(HWND dialog, WPARAM, WPARAM, LPARAM) {
  EndDialog(dialog, 1);
  return 1;
}

namespace {
int32_t CentreOnOwnerInit(HWND dialog, UINT, WPARAM, LPARAM) {
  CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
  return 1;
}

const CommandEntry PlainCommandRows[] = {{IDOK, CloseDialog}, {IDCANCEL, CloseDialog}};
constexpr CommandTable PlainCommands = MakeCommandTable(PlainCommandRows, DefaultNone);
const MessageEntry PlainMessageRows[] = {{WM_COMMAND, DispatchCommands<PlainCommands>},
                                         {WM_INITDIALOG, CentreOnOwnerInit}};
constexpr MessageTable PlainMessages = MakeMessageTable(PlainMessageRows, DefaultNone);
}  // namespace

INT_PTR CALLBACK PlainDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(PlainMessages, dialog, message, wParam, lParam);
}

void CentreDialog(HWND window, HWND owner) {
  RECT own{};
  RECT mine{};
  GetWindowRect(window, &mine);
  if (owner == nullptr || !GetWindowRect(owner, &own)) own = mine;
  HDC screen = GetDC(window);
  int screenWidth = GetDeviceCaps(screen, HORZRES);
  int screenHeight = GetDeviceCaps(screen, VERTRES);
  ReleaseDC(window, screen);
  int width = mine.right - mine.left;
  int height = mine.bottom - mine.top;
  int x = CentreCoordinate(own.left, own.right - own.left, width, screenWidth);
  int y = CentreCoordinate(own.top, own.bottom - own.top, height, screenHeight);
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}
