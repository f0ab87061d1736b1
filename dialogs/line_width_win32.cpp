// "Change Line Width": cells per display line and the rows between lines.
#include <cstdio>

#include "dialogs/dialog_fields.h"
#include "dialogs/option_dialogs_win32.h"
#include "document/document.h"
#include "document/line_index.h"
#include "resources/resource_ids.h"
#include "shell/dispatch_win32.h"
#include "shell/frame_win32.h"
#include "shell/selection.h"
#include "shell/settings_values.h"
#include "shell/view_state.h"

namespace {
constexpr int FieldCapacity = 32;

void PutNumber(HWND dialog, int id, int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%d", value);
  SetDlgItemTextA(dialog, id, text);
}

int32_t LineWidthInit(HWND dialog, UINT, WPARAM, LPARAM) {
  CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
  PutNumber(dialog, ZK_LINE_WIDTH_FIELD, Settings.charsPerLine);
  PutNumber(dialog, ZK_LINE_SPACING_FIELD, Settings.lineSpacing);
  return 1;
}

int32_t LineWidthOk(HWND dialog, WPARAM, WPARAM, LPARAM) {
  char text[FieldCapacity] = "";
  GetDlgItemTextA(dialog, ZK_LINE_WIDTH_FIELD, text, FieldCapacity);
  Settings.charsPerLine = ReadLineWidthField(text);
  GetDlgItemTextA(dialog, ZK_LINE_SPACING_FIELD, text, FieldCapacity);
  Settings.lineSpacing = ReadLineSpacingField(text);
  EndDialog(dialog, 1);
  // The view lays itself out again and makes a line bitmap of the new size.
  RECT client{};
  GetClientRect(ViewWindow, &client);
  SendMessageA(ViewWindow, WM_SIZE, 0, MAKELPARAM(client.right, client.bottom));
  // The lines are broken anew; the code the user is looking at, and its
  // font, stay: the code is detected only when a file is opened.
  int code = CodeType;
  BuildLineIndex(FrameWindow, Document.textLength, &code);
  ViewState.firstLine = 0;
  // Selected lines are no longer the lines shown.
  ClearSelection();
  UpdateCommandState(FrameWindow);
  InvalidateRect(FrameWindow, nullptr, FALSE);
  return 1;
}

const CommandEntry LineWidthCommandRows[] = {{IDOK, LineWidthOk}, {IDCANCEL, CloseDialog}};
constexpr CommandTable LineWidthCommands = MakeCommandTable(LineWidthCommandRows, DefaultNone);

const MessageEntry LineWidthMessageRows[] = {{WM_COMMAND, DispatchCommands<LineWidthCommands>},
                                             {WM_INITDIALOG, LineWidthInit}};
constexpr MessageTable LineWidthMessages = MakeMessageTable(LineWidthMessageRows, DefaultNone);

INT_PTR CALLBACK LineWidthDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(LineWidthMessages, dialog, message, wParam, lParam);
}
}  // namespace

int32_t ShowLineWidthDialog(HWND frame, WPARAM, WPARAM, LPARAM) {
  DialogBoxParamA(AppInstance, MAKEINTRESOURCEA(ZK_DIALOG_LINE_WIDTH), frame, LineWidthDialogProc, 0);
  return 0;
}
