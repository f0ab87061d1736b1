#include <cstdio>
#include <string>

#include "base/error_messages.h"
#include "base/prompts.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "convert/character_tables.h"

namespace {
const char* const TablesHelp =
    "usage: zk tables [--gb] [--big5] [--sjis] DIR\n"
    "Writes the character table files, which list every double-byte code of\n"
    "a code, into DIR, replacing files of the same names: \"GBTBL.GB\",\n"
    "\"BIG5TBL.BG5\" and \"SJISTBL.JP\". All three when no code is named.\n"
    "  --gb        GB\n"
    "  --big5      Big5\n"
    "  --sjis      Shift JIS\n";

#ifdef _WIN32
constexpr char PathSeparator = '\\';
#else
constexpr char PathSeparator = '/';
#endif
}  // namespace

int RunTablesCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first, {{"--gb", false}, {"--big5", false}, {"--sjis", false}});
  if (args.help) {
    std::fputs(TablesHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("tables", args.error);
  if (args.positional.size() != 1) return UsageError("tables", "tables takes one DIR");
  const char* const options[3] = {"--gb", "--big5", "--sjis"};
  bool any = HasOption(args, "--gb") || HasOption(args, "--big5") || HasOption(args, "--sjis");
  std::string folder = args.positional[0];
  if (!folder.empty() && folder.back() != '/' && folder.back() != '\\') folder += PathSeparator;
  for (int table = CharacterTableGb; table <= CharacterTableSjis; ++table) {
    if (any && !HasOption(args, options[table])) continue;
    std::string path = folder + CharacterTableFileNames[table];
    int result = WriteCharacterTableFile(path.c_str(), table);
    if (result == CharacterTableNotCreated) ShowErrorBox(nullptr, ErrorCreateFile, path.c_str(), StyleStop);
    if (result == CharacterTableNotWritten) ShowErrorBox(nullptr, ErrorWriteFile, path.c_str(), StyleStop);
    if (result != CharacterTableWritten) return 1;
  }
  return 0;
}
