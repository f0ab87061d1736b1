// The message boxes of the Win32 program.
#include <windows.h>

#include "shell/error_messages.h"
#include "shell/prompts.h"

void ShowErrorBox(WindowRef owner, int id, const char* argument, int style) {
  // The texts are those of string-table entries 4 to 23; formatting them
  // here keeps a long path from overrunning the box's text.
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, id, argument);
  MessageBoxA(static_cast<HWND>(owner), text, "Error", static_cast<UINT>(style));
}

bool AskYesNo(WindowRef owner, const char* text, const char* caption) {
  return MessageBoxA(static_cast<HWND>(owner), text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ShowNotice(WindowRef owner, const char* text, const char* caption) {
  MessageBoxA(static_cast<HWND>(owner), text, caption, MB_OK);
}
