#include <cstdio>

#include "base/settings_values.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "document/document.h"
#include "document/document_lines.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {
const char* const CatHelp =
    "usage: zk cat [--no-hz] FILE\n"
    "Writes the text of FILE as the viewer holds it: after HZ decoding, and\n"
    "ending where a Ctrl-Z ends the text.\n"
    "  --no-hz     do not decode HZ escapes\n";
}

int RunCatCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first, {{"--no-hz", false}});
  if (args.help) {
    std::fputs(CatHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("cat", args.error);
  if (args.positional.size() != 1) return UsageError("cat", "cat takes one FILE");
  Settings.supportHZ = HasOption(args, "--no-hz") ? 0 : 1;

  LoadAndIndexDocument(nullptr, args.positional[0].c_str());
  if (AnyErrorShown()) return 1;
  size_t end = Document.lineCount > 0 ? Document.LineIndex[Document.lineCount] : 0;
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // A failed write is reported once the command is over.
  if (end > 0) std::fwrite(Document.text.get(), 1, end, stdout);
  return 0;
}
