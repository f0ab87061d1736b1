// "Change Line Width": cells per display line and the rows between lines.
#include <cstdio>

#include "base/dispatch_win32.h"
#include "base/instance_win32.h"
#include "dialogs/dialog_fields.h"
#include "dialogs/option_dialogs_win32.h"
#include "resources/resource_ids.h"

namespace {
constexpr int FieldCapacity = 32;

LineWidthRecord* RecordOf(HWND dialog) {
  return reinterpret_cast<LineWidthRecord*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

void PutNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

int32_t LineWidthInit(HWND dialog, UINT, WPARAM, LPARAM lParam) {
  SetWindowLongPtrA(dialog, DWLP_USER, lParam);
  CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
  PutNumber(dialog, ZK_LINE_WIDTH_FIELD, RecordOf(dialog)->charsPerLine);
  PutNumber(dialog, ZK_LINE_SPACING_FIELD, RecordOf(dialog)->lineSpacing);
  return 1;
}

int32_t LineWidthOk(HWND dialog, WPARAM, WPARAM, LPARAM) {
  char text[FieldCapacity] = "";
  GetDlgItemTextA(dialog, ZK_LINE_WIDTH_FIELD, text, FieldCapacity);
  RecordOf(dialog)->charsPerLine = ReadLineWidthField(text);
  GetDlgItemTextA(dialog, ZK_LINE_SPACING_FIELD, text, FieldCapacity);
  RecordOf(dialog)->lineSpacing = ReadLineSpacingField(text);
  EndDialog(dialog, IDOK);
  return 1;
}

int32_t LineWidthCancel(HWND dialog, WPARAM, WPARAM, LPARAM) {
  EndDialog(dialog, IDCANCEL);
  return 1;
}

const CommandEntry LineWidthCommandRows[] = {{IDOK, LineWidthOk}, {IDCANCEL, LineWidthCancel}};
constexpr CommandTable LineWidthCommands = MakeCommandTable(LineWidthCommandRows, DefaultNone);

const MessageEntry LineWidthMessageRows[] = {{WM_COMMAND, DispatchCommands<LineWidthCommands>},
                                             {WM_INITDIALOG, LineWidthInit}};
constexpr MessageTable LineWidthMessages = MakeMessageTable(LineWidthMessageRows, DefaultNone);

INT_PTR CALLBACK LineWidthDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(LineWidthMessages, dialog, message, wParam, lParam);
}
}  // namespace

bool RunLineWidthDialog(HWND owner, LineWidthRecord* record) {
  return DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ZK_DIALOG_LINE_WIDTH), owner, LineWidthDialogProc,
                         reinterpret_cast<LPARAM>(record)) == IDOK;
}
