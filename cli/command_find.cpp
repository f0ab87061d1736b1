#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

#include "base/settings_values.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "convert/transcode.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/text_search.h"

namespace {
const char* const FindHelp =
    "usage: zk find [-i] [--no-hz] TEXT FILE...\n"
    "Prints every line of each FILE that holds TEXT (given in UTF-8) as\n"
    "FILE:LINE:text, in UTF-8 whatever the file's code, which is detected as\n"
    "the viewer detects it. A line is the text's own, ended by a line feed, and\n"
    "counted from 1. TEXT is sought in the file's code, where a character\n"
    "starts: a character the code lacks is found nowhere. Exits 0 when TEXT was\n"
    "found, 1 when not, 2 when a FILE could not be read.\n"
    "  -i          ASCII letters match in either case\n"
    "  --no-hz     do not decode HZ escapes\n";

size_t Append(void* handle, const uint8_t* bytes, size_t count) {
  static_cast<std::string*>(handle)->append(reinterpret_cast<const char*>(bytes), count);
  return count;
}

// Where the line feed that ends the line holding `p` lies (or n), in
// text[0..n) of `code`: a byte 0x0A, or in UTF-16 the unit 0x000A.
size_t LineFeedFrom(int code, const uint8_t* text, size_t n, size_t p) {
  if (!IsUtf16Code(code)) {
    const void* feed = std::memchr(text + p, '\n', n - p);
    return feed == nullptr ? n : static_cast<size_t>(static_cast<const uint8_t*>(feed) - text);
  }
  const size_t low = code == CodeUtf16Le ? 0 : 1;
  for (size_t at = p & ~size_t{1}; at + 1 < n; at += 2)
    if (text[at + low] == '\n' && text[at + 1 - low] == 0) return at;
  return n;
}

// The line's text in UTF-8, without its line end.
std::string LineInUtf8(int code, const uint8_t* text, size_t start, size_t end) {
  const size_t unit = IsUtf16Code(code) ? 2 : 1;
  // A CR before the line feed belongs to the line end.
  if (end - start >= unit) {
    const size_t at = end - unit;
    const bool cr = unit == 1 ? text[at] == '\r'
                              : (text[at] == '\r' && text[at + 1] == 0) || (text[at] == 0 && text[at + 1] == '\r');
    if (cr) end = at;
  }
  std::string line;
  TranscodeState state;
  if (!PrepareTranscode(&state, code, CodeUtf8, 0)) return line;
  SourcePiece piece;
  piece.last = true;
  Transcode(ByteSink{Append, &line}, state, text + start, end - start, &piece);
  return line;
}

// Prints the lines of the open document that hold the pattern; true when
// there was one.
bool PrintMatches(const std::string& file, const SearchPattern& pattern) {
  const int code = CodeType;
  const uint8_t* text = Document.text.get();
  const size_t n = Document.lineCount > 0 ? Document.LineIndex[static_cast<size_t>(Document.lineCount)] : 0;
  const uint32_t* starts = Document.LineIndex.get();
  const size_t feed = IsUtf16Code(code) ? 2 : 1;
  uint64_t line = 1;
  size_t lineStart = 0;
  bool found = false;
  for (size_t from = 0;;) {
    const size_t at =
        FindPattern(pattern, code, text, n, starts, static_cast<size_t>(Document.lineCount), from, n, true);
    if (at == NotFound) return found;
    found = true;
    // The lines before the match, counted by their line feeds.
    for (size_t end; (end = LineFeedFrom(code, text, n, lineStart)) < at; lineStart = end + feed) ++line;
    const size_t end = LineFeedFrom(code, text, n, at);
    std::printf("%s:%" PRIu64 ":%s\n", file.c_str(), line, LineInUtf8(code, text, lineStart, end).c_str());
    if (end >= n) return true;
    from = end + feed;
    lineStart = from;
    ++line;
  }
}
}  // namespace

int RunFindCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first, {{"-i", false}, {"--no-hz", false}});
  if (args.help) {
    std::fputs(FindHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("find", args.error);
  if (args.positional.size() < 2) return UsageError("find", "find takes TEXT and at least one FILE");
  const std::string& text = args.positional[0];
  if (text.empty()) return UsageError("find", "find takes a TEXT that is not empty");
  const std::vector<char32_t> points = CodePointsOfUtf8(text.data(), text.size());
  Settings.supportHZ = HasOption(args, "--no-hz") ? 0 : 1;
  bool found = false, failed = false;
  for (size_t k = 1; k < args.positional.size(); ++k) {
    const std::string& file = args.positional[k];
    if (!LoadAndIndexDocument(nullptr, file.c_str())) {
      failed = true;
      continue;
    }
    SearchPattern pattern;
    // A character the file's code lacks is in none of its lines.
    if (!MakeSearchPattern(CodeType, points.data(), points.size(), !HasOption(args, "-i"), &pattern)) continue;
    found = PrintMatches(file, pattern) || found;
  }
  return failed ? 2 : found ? 0 : 1;
}
