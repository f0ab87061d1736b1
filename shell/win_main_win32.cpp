// The entry point of ZK.exe.
#include <windows.h>

#include <string>

#include "base/wide_text_win32.h"
#include "shell/command_line.h"
#include "shell/edit_commands_win32.h"
#include "shell/frame_win32.h"
#include "shell/frame_windows_win32.h"
#include "shell/open_document_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
  if (!InitApplication(instance, showCommand)) return 0;
  HACCEL accelerators = LoadAcceleratorsA(instance, AppName);
  // The wide command line keeps names in any script; the 8-bit one would
  // turn what the code page lacks into question marks.
  std::string commandLine = Utf8FromWide(GetCommandLineW());
  OpenCommandLine(SkipProgramName(commandLine.c_str()));
  // Wide messages: what is typed into the find dialog arrives in any script.
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    HWND find = FindDialogWindow();
    if (find != nullptr && IsDialogMessageW(find, &message)) continue;
    if (!TranslateAcceleratorW(FrameWindow, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
