// What the zk command asks of Windows.
#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>

#include <string>
#include <vector>

#include "base/program_path.h"
#include "base/program_path_win32.h"
#include "base/wide_text_win32.h"
#include "cli/commands.h"

void FindModulePath(const char* argv0) {
  RefreshModulePath();
  if (ModulePath[0] == '\0' && argv0 != nullptr) SetModulePath(argv0);
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
