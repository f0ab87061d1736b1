// What the zk command asks of Windows.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "cli/commands.h"
#include "shell/font_path.h"
#include "shell/wide_text_win32.h"

void FindModulePath(const char* argv0) {
  char path[PathCapacity] = "";
  wchar_t wide[PathCapacity] = L"";
  DWORD length = GetModuleFileNameW(nullptr, wide, PathCapacity);
  if (length == 0 || length >= PathCapacity || !Utf8FromWide(wide, path, sizeof path)) path[0] = '\0';
  if (path[0] == '\0' && argv0 != nullptr && std::strlen(argv0) < sizeof path) std::strcpy(path, argv0);
  SetModulePath(path);
}

bool StdinIsTerminal() {
  // The C library takes the NUL device for a terminal; only a console is one.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
}

bool StderrIsTerminal() {
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_ERROR_HANDLE), &mode) != 0;
}

void PrepareProcess(int* argc, char*** argv) {
  // The C library's arguments are in the ANSI code page, which loses names
  // in other scripts; the wide command line has them whole.
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return;
  static std::vector<std::string> arguments;
  static std::vector<char*> pointers;
  for (int i = 0; i < count; ++i) arguments.push_back(Utf8FromWide(wide[i]));
  LocalFree(wide);
  for (std::string& argument : arguments) pointers.push_back(argument.data());
  pointers.push_back(nullptr);
  *argc = count;
  *argv = pointers.data();
}
