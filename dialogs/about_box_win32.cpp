// The About box: the program's title, its versions and its logo.
#include "dialogs/option_dialogs_win32.h"
#include "shell/dispatch_win32.h"
#include "shell/frame_win32.h"

int32_t ShowAboutBox(HWND frame, WPARAM, WPARAM, LPARAM) {
  DialogBoxParamA(AppInstance, "AboutBox", frame, PlainDialogProc, 0);
  return 0;
}
