// The About box: the program's title, its versions and its logo.
#include "dialogs/option_dialogs_win32.h"
#include "shell/dispatch_win32.h"
#include "shell/frame_win32.h"

namespace {
const CommandEntry AboutCommandRows[] = {{IDOK, CloseDialog}, {IDCANCEL, CloseDialog}};
constexpr CommandTable AboutCommands = MakeCommandTable(AboutCommandRows, DefaultNone);

const MessageEntry AboutMessageRows[] = {{WM_COMMAND, DispatchCommands<AboutCommands>},
                                         {WM_INITDIALOG, CentreOnOwnerInit}};
constexpr MessageTable AboutMessages = MakeMessageTable(AboutMessageRows, DefaultNone);

INT_PTR CALLBACK AboutDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(AboutMessages, dialog, message, wParam, lParam);
}
}  // namespace

int32_t ShowAboutBox(HWND frame, WPARAM, WPARAM, LPARAM) {
  DialogBoxParamA(AppInstance, "AboutBox", frame, AboutDialogProc, 0);
  return 0;
}
