// What the zk command asks of Windows.
#include <windows.h>

#include <cstring>

#include "cli/commands.h"
#include "shell/font_path.h"

void FindModulePath(const char* argv0) {
  char path[PathCapacity] = "";
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) path[0] = '\0';
  if (path[0] == '\0' && argv0 != nullptr && std::strlen(argv0) < sizeof path) std::strcpy(path, argv0);
  SetModulePath(path);
}

bool StdinIsTerminal() {
  // The C library takes the NUL device for a terminal; only a console is one.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}
