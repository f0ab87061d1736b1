#include <cstdio>

#include "base/settings_values.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "convert/loss_report.h"
#include "convert/transcode.h"
#include "document/document.h"
#include "document/document_lines.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {
const char* const CatHelp =
    "usage: zk cat [--no-hz] [--code CODE] [--utf8] FILE\n"
    "Writes the text of FILE as the viewer holds it: after HZ decoding, and\n"
    "ending where a Ctrl-Z ends the text.\n"
    "  --no-hz     do not decode HZ escapes\n"
    "  --code CODE read the text in this code instead of the detected one: gb,\n"
    "              big5, sjis, utf8, utf16le or utf16be\n"
    "  --utf8      write the text in UTF-8, whatever its code, for grep, less\n"
    "              and diff; a byte that is no character becomes U+FFFD\n";

size_t WriteToStdout(void*, const uint8_t* bytes, size_t count) { return std::fwrite(bytes, 1, count, stdout); }

// The text in UTF-8; the bytes that are no character are counted on
// standard error.
int WriteUtf8(const uint8_t* text, size_t n) {
  TranscodeState state;
  if (const char* missing = MissingTranscodeTable(CodeType, CodeUtf8)) {
    std::fprintf(stderr, "zk: the table %s is missing beside the program\n", missing);
    return 1;
  }
  if (!PrepareTranscode(&state, CodeType, CodeUtf8, 0)) return 1;
  ConvertReport report;
  SourcePiece piece;
  piece.last = true;
  piece.report = &report;
  if (Transcode(ByteSink{WriteToStdout, nullptr}, state, text, n, &piece) != 0) return 1;
  if (report.illFormed > 0) std::fprintf(stderr, "zk: %s\n", CountLosses(report, CodeUtf8).c_str());
  return 0;
}
}  // namespace

int RunCatCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first, {{"--no-hz", false}, {"--utf8", false}, {"--code", true}});
  if (args.help) {
    std::fputs(CatHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("cat", args.error);
  if (args.positional.size() != 1) return UsageError("cat", "cat takes one FILE");
  int code = -1;
  if (!ParseCodeOption(args, &code)) return UsageError("cat", "--code takes gb, big5, sjis, utf8, utf16le or utf16be");
  Settings.supportHZ = HasOption(args, "--no-hz") ? 0 : 1;

  LoadAndIndexDocument(nullptr, args.positional[0].c_str());
  if (code >= 0) SwitchDocumentCode(nullptr, code);
  if (AnyErrorShown()) return 1;
  size_t end = Document.lineCount > 0 ? Document.LineIndex[Document.lineCount] : 0;
#ifdef _WIN32
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  // A failed write is reported once the command is over.
  if (HasOption(args, "--utf8")) return WriteUtf8(Document.text.get(), end);
  if (end > 0) std::fwrite(Document.text.get(), 1, end, stdout);
  return 0;
}
