// The message boxes of the Win32 program. Their texts may hold a path in any
// script, so they reach the system in UTF-16.
#include <windows.h>

#include "base/error_messages.h"
#include "base/prompts.h"
#include "base/wide_text_win32.h"

void ShowErrorBox(WindowRef owner, int id, const char* argument, int style) {
  // The texts are those of string-table entries 4 to 23; formatting them
  // here keeps a long path from overrunning the box's text.
  char text[ErrorTextCapacity];
  FormatErrorText(text, sizeof text, id, argument);
  MessageBoxW(static_cast<HWND>(owner), WideFromUtf8(text).c_str(), L"Error", static_cast<UINT>(style));
}

bool AskYesNo(WindowRef owner, const char* text, const char* caption) {
  return MessageBoxW(static_cast<HWND>(owner), WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(),
                     MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ShowNotice(WindowRef owner, const char* text, const char* caption) {
  MessageBoxW(static_cast<HWND>(owner), WideFromUtf8(text).c_str(), WideFromUtf8(caption).c_str(), MB_OK);
}
