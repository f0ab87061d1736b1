// zk: the byte logic of the viewer on the command line.
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "base/prompts_headless.h"
#include "cli/commands.h"
#include "zk_version.h"

namespace {
struct CommandEntry {
  const char* name;
  int (*run)(int argc, char** argv, int first);
  const char* summary;
};

const CommandEntry Commands[] = {
    {"info", RunInfoCommand, "print the code, length and line count of a file"},
    {"cat", RunCatCommand, "write the text of a file as the viewer holds it"},
    {"find", RunFindCommand, "print the lines of files that hold a text, in UTF-8"},
    {"convert", RunConvertCommand, "convert files between GB, Big5, Shift JIS, HZ and UTF-8"},
    {"tables", RunTablesCommand, "write the character table files into a folder"},
#ifdef ZK_HAVE_PNG
    {"render", RunRenderCommand, "draw the display lines of a file into a PNG picture"},
#endif
#ifdef ZK_HAVE_CAIRO
    {"print", RunPrintCommand, "lay out a file on pages as ZK.exe prints it, into a PDF file"},
#endif
};

void PrintUsage(std::FILE* out) {
  std::fputs("usage: zk COMMAND [OPTIONS] ARGS\n\nCommands:\n", out);
  for (const CommandEntry& command : Commands) std::fprintf(out, "  %-9s %s\n", command.name, command.summary);
  std::fputs("\n'zk COMMAND --help' explains a command; 'zk --version' prints the version.\n", out);
}

int RunCommandLine(int argc, char** argv) {
  if (argc < 2) {
    PrintUsage(stderr);
    return 2;
  }
  if (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0 || std::strcmp(argv[1], "help") == 0) {
    PrintUsage(stdout);
    return 0;
  }
  if (std::strcmp(argv[1], "--version") == 0) {
    std::puts("zk " ZK_VERSION_TEXT);
    return 0;
  }
  FindModulePath(argv[0]);
  SetHeadlessEcho(true);
  for (const CommandEntry& command : Commands) {
    if (std::strcmp(argv[1], command.name) == 0) return command.run(argc, argv, 2);
  }
  std::fprintf(stderr, "zk: unknown command '%s'\n", argv[1]);
  PrintUsage(stderr);
  return 2;
}
}  // namespace

int main(int argc, char** argv) {
  PrepareProcess(&argc, &argv);
  int status = RunCommandLine(argc, argv);
  // Output that never arrived is a failure, whatever the command thought.
  if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
    std::fprintf(stderr, "zk: write error: %s\n", std::strerror(errno != 0 ? errno : EIO));
    return 1;
  }
  return status;
}
