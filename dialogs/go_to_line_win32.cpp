// "Go to Line": a display line number, 1 to the count the dialog shows.
#include <cstdio>

#include "base/dispatch_win32.h"
#include "base/instance_win32.h"
#include "dialogs/dialog_fields.h"
#include "dialogs/option_dialogs_win32.h"
#include "resources/resource_ids.h"

namespace {
constexpr int FieldCapacity = 32;

GoToLineRecord* RecordOf(HWND dialog) {
  return reinterpret_cast<GoToLineRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

int32_t GoToLineInit(HWND dialog, UINT, WPARAM, LPARAM lParam) {
  SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
  char text[64];
  std::snprintf(text, sizeof text, "&Line number (1 - %d):", RecordOf(dialog)->count);
  SetDlgItemTextA(dialog, ZK_GOTO_LINE_RANGE, text);
  std::snprintf(text, sizeof text, "%d", RecordOf(dialog)->line);
  SetDlgItemTextA(dialog, ZK_GOTO_LINE_FIELD, text);
  SendDlgItemMessageA(dialog, ZK_GOTO_LINE_FIELD, EM_SETSEL, 0, -1);
  return 1;
}

int32_t GoToLineOk(HWND dialog, WPARAM, WPARAM, LPARAM) {
  char text[FieldCapacity] = "";
  GetDlgItemTextA(dialog, ZK_GOTO_LINE_FIELD, text, FieldCapacity);
  RecordOf(dialog)->line = ReadLineNumberField(text, RecordOf(dialog)->count);
  EndDialog(dialog, IDOK);
  return 1;
}

int32_t GoToLineCancel(HWND dialog, WPARAM, WPARAM, LPARAM) {
  EndDialog(dialog, IDCANCEL);
  return 1;
}

const CommandEntry GoToLineCommandRows[] = {{IDOK, GoToLineOk}, {IDCANCEL, GoToLineCancel}};
constexpr CommandTable GoToLineCommands = MakeCommandTable(GoToLineCommandRows, DefaultNone);

const MessageEntry GoToLineMessageRows[] = {{WM_COMMAND, DispatchCommands<GoToLineCommands>},
                                            {WM_INITDIALOG, GoToLineInit}};
constexpr MessageTable GoToLineMessages = MakeMessageTable(GoToLineMessageRows, DefaultNone);

INT_PTR CALLBACK GoToLineDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(GoToLineMessages, dialog, message, wParam, lParam);
}
}  // namespace

bool RunGoToLineDialog(HWND owner, GoToLineRecord* record) {
  return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ZK_DIALOG_GOTO_LINE), owner, GoToLineDialogProc,
                         reinterpret_cast<LPARAM>(record)) == IDOK;
}
