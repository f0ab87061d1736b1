// The entry point of ZK.exe.
#include <windows.h>

#include "shell/frame_win32.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int showCommand) {
  if (!InitApplication(instance, showCommand)) return 0;
  HACCEL accelerators = LoadAcceleratorsA(instance, AppName);
  OpenCommandLine(commandLine);
  MSG message{};
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (!TranslateAcceleratorA(message.hwnd, accelerators, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return static_cast<int>(message.wParam);
}
