#include <cstdio>
#include <string>

#include "base/error_messages.h"
#include "base/prompts_headless.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "convert/convert_file.h"

namespace {
const char* const ConvertHelp =
    "usage: zk convert (--big5 | --sjis | --hz) [--to-gb] [--force] SOURCE TARGET\n"
    "Converts SOURCE from GB into Big5, Shift JIS or HZ, or back into GB with\n"
    "--to-gb, writing TARGET. Big5 and Shift JIS go through the conversion\n"
    "table files beside the program; HZ needs none.\n"
    "  --big5      GB and Big5 (\"GBBIG5.TBL\", \"BIG5GB.TBL\")\n"
    "  --sjis      GB and Shift JIS (\"GBSJIS.TBL\", \"SJISGB.TBL\")\n"
    "  --hz        GB and HZ\n"
    "  --to-gb     SOURCE is in the other code and TARGET is GB\n"
    "  --force     replace an existing TARGET without asking; otherwise the\n"
    "              question is asked on a terminal and refused elsewhere\n";

bool forceOverwrite = false;

// The overwrite question: yes with --force; asked on a terminal; refused,
// with its text on standard error, when no one can answer.
bool AnswerOverwrite(const char* text) {
  if (forceOverwrite) return true;
  if (!StdinIsTerminal()) {
    std::fprintf(stderr, "%s\n", text);
    return false;
  }
  char answer[64];
  for (;;) {
    std::fprintf(stderr, "%s (y/n) ", text);
    std::fflush(stderr);
    if (std::fgets(answer, sizeof answer, stdin) == nullptr) {
      std::fputc('\n', stderr);
      return false;
    }
    if (answer[0] == 'y' || answer[0] == 'Y') return true;
    if (answer[0] == 'n' || answer[0] == 'N') return false;
  }
}
}  // namespace

int RunConvertCommand(int argc, char** argv, int first) {
  ParsedArgs args =
      ParseArgs(argc, argv, first,
                {{"--big5", false}, {"--sjis", false}, {"--hz", false}, {"--to-gb", false}, {"--force", false}});
  if (args.help) {
    std::fputs(ConvertHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("convert", args.error);
  int modes = 0;
  const struct {
    const char* option;
    int mode;
  } ModeOptions[] = {{"--big5", ConvertModeBig5}, {"--sjis", ConvertModeSjis}, {"--hz", ConvertModeHz}};
  for (const auto& option : ModeOptions) {
    if (HasOption(args, option.option)) {
      ConvertMode = option.mode;
      ++modes;
    }
  }
  if (modes != 1) return UsageError("convert", "convert takes one of --big5, --sjis and --hz");
  if (args.positional.size() != 2) return UsageError("convert", "convert takes SOURCE and TARGET");
  const std::string& source = args.positional[0];
  const std::string& target = args.positional[1];
  if (source == target) {
    ShowErrorBox(nullptr, ErrorSameFileName, nullptr, StyleStop);
    return 1;
  }
  forceOverwrite = HasOption(args, "--force");
  SetHeadlessQuestionHandler(AnswerOverwrite);
  return ConvertFile(nullptr, source.c_str(), target.c_str(), HasOption(args, "--to-gb") ? 1 : 0) ? 0 : 1;
}
