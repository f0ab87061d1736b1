// What the zk command asks of a POSIX system.
#include <unistd.h>

#include <csignal>
#include <cstring>

#include "base/file_io.h"
#include "base/program_path.h"
#include "cli/commands.h"
#include "document/glyph_font.h"

// Where the Debian package puts the data (scripts/package).
constexpr const char* SharedDataFolder = "/usr/share/zk/";

void FindModulePath(const char* argv0) {
  char path[PathCapacity] = "";
  ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  path[length > 0 ? length : 0] = '\0';
  if (path[0] == '\0' && argv0 != nullptr && std::strlen(argv0) < sizeof path) std::strcpy(path, argv0);
  SetModulePath(path);
  // An installed zk reads the data in the shared folder, a built one those beside it.
  ChooseDataFolder(SharedDataFolder, FontFileNames[0]);
}

void PrepareProcess(int*, char***) {
  signal(SIGXFSZ, SIG_IGN);
  RemoveNewFileOnSignals();
}

bool StdinIsTerminal() { return isatty(STDIN_FILENO) != 0; }

bool StderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }
