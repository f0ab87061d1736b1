#include <cstdio>

#include "base/settings_values.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "document/document.h"
#include "document/document_lines.h"

namespace {
const char* const InfoHelp =
    "usage: zk info [--no-hz] [--width N] FILE\n"
    "Loads FILE as the viewer does and prints its code, its length in bytes\n"
    "and its number of display lines.\n"
    "  --no-hz     do not decode HZ escapes\n"
    "  --width N   cells per display line (default 80, kept within 16..512)\n";

const char* CodeName(int code) {
  const char* const names[6] = {"GB", "Big5", "Shift JIS", "UTF-8", "UTF-16 LE", "UTF-16 BE"};
  return code >= CodeGb && code <= CodeUtf16Be ? names[code] : names[CodeGb];
}
}  // namespace

int RunInfoCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first, {{"--no-hz", false}, {"--width", true}});
  if (args.help) {
    std::fputs(InfoHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("info", args.error);
  if (args.positional.size() != 1) return UsageError("info", "info takes one FILE");
  long long width = 80;
  if (const std::string* value = OptionValue(args, "--width")) {
    if (!ParseInteger(*value, width)) return UsageError("info", "--width takes a whole number");
  }
  Settings.charsPerLine = ClampCharsPerLine(width < -1000000  ? -1000000
                                            : width > 1000000 ? 1000000
                                                              : static_cast<int>(width));
  Settings.supportHZ = HasOption(args, "--no-hz") ? 0 : 1;

  LoadAndIndexDocument(nullptr, args.positional[0].c_str());
  if (AnyErrorShown()) return 1;
  std::printf("code: %s\nbytes: %u\nlines: %d\n", CodeName(CodeType), Document.textLength, Document.lineCount);
  return 0;
}
