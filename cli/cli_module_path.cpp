#include <cstring>

#include "cli/commands.h"
#include "shell/font_path.h"
#include "shell/prompts_headless.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

void FindModulePath(const char* argv0) {
  char path[PathCapacity] = "";
#ifdef _WIN32
  DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length == 0 || length >= sizeof path) path[0] = '\0';
#else
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  path[length > 0 ? length : 0] = '\0';
#endif
  if (path[0] == '\0' && argv0 != nullptr && std::strlen(argv0) < sizeof path) std::strcpy(path, argv0);
  SetModulePath(path);
}

bool AnyErrorShown() {
  for (const HeadlessPrompt& prompt : HeadlessPrompts()) {
    if (prompt.kind == "error") return true;
  }
  return false;
}
