// The About box: the program's title, its versions and its logo.
#include "base/dispatch_win32.h"
#include "base/instance_win32.h"
#include "dialogs/option_dialogs_win32.h"

void RunAboutBox(HWND owner) { DialogBoxParamA(AppInstance, "AboutBox", owner, PlainDialogProc, 0); }
