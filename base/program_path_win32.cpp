#include "base/program_path_win32.h"

#include <windows.h>

#include "base/program_path.h"
#include "base/wide_text_win32.h"

void RefreshModulePath() {
  wchar_t wide[PathCapacity];
  char path[PathCapacity];
  DWORD length = GetModuleFileNameW(nullptr, wide, PathCapacity);
  // A path cut by the buffer would name some other file.
  if (length == 0 || length >= PathCapacity || !Utf8FromWide(wide, path, sizeof path)) path[0] = '\0';
  SetModulePath(path);
}
