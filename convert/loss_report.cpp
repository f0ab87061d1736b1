#include "convert/loss_report.h"

#include <cinttypes>
#include <cstdio>

#include "convert/transcode.h"
#include "document/code_rules.h"

const char* CodeName(int code) {
  switch (code) {
    case CodeBig5:
      return "Big5";
    case CodeShiftJis:
      return "Shift JIS";
    case CodeUtf8:
      return "UTF-8";
    case CodeUtf16Le:
      return "UTF-16 LE";
    case CodeUtf16Be:
      return "UTF-16 BE";
    case CodeHz:
      return "HZ";
    default:
      return "GB";
  }
}

size_t LocateLosses(ConvertReport& report, LossLocator& locator, int code, const uint8_t* text, size_t n, bool last,
                    bool* done) {
  size_t p = 0;
  // A character starting this close to a piece's end may run past it.
  const size_t limit = last ? n : (n > LongestCharacter - 1 ? n - (LongestCharacter - 1) : 0);
  while (locator.next < report.recorded && p < limit) {
    const uint64_t at = locator.offset + p;
    size_t length;
    bool lineFeed;
    bool mark = false;  // a byte-order mark opening the text takes no column
    if (IsUnicodeCode(code)) {
      const UnicodeStep step = StepUnicode(code, text, p, n);
      length = step.length;
      lineFeed = step.valid && step.codePoint == '\n';
      mark = at == 0 && step.valid && step.codePoint == 0xFEFF;
    } else {
      length = StepCharacter(code, text, p, n).length;
      lineFeed = text[p] == '\n';
    }
    // Every record lies where a character starts.
    for (; locator.next < report.recorded && report.first[locator.next].offset < at + length; ++locator.next) {
      report.first[locator.next].line = locator.line;
      report.first[locator.next].column = locator.column;
    }
    if (lineFeed) {
      ++locator.line;
      locator.column = 1;
    } else if (!mark) {
      ++locator.column;
    }
    p += length;
  }
  locator.offset += p;
  *done = locator.next == report.recorded;
  return p;
}

namespace {
std::string Plural(uint64_t count, const char* one, const char* many) {
  char text[64];
  std::snprintf(text, sizeof text, "%" PRIu64 " %s", count, count == 1 ? one : many);
  return text;
}
}  // namespace

std::string CountLosses(const ConvertReport& report, int to) {
  std::string text;
  if (report.lost > 0) {
    text += Plural(report.lost, "character", "characters");
    text += std::string(" had no form in ") + CodeName(to) + " and became its replacement.";
  }
  if (report.illFormed > 0) {
    if (!text.empty()) text += ' ';
    text += Plural(report.illFormed, "byte", "bytes");
    text += report.illFormed == 1 ? " of the source was" : " of the source were";
    text += " no character.";
  }
  return text;
}

std::string DescribeLosses(const ConvertReport& report, int from, int to) {
  if (report.lost == 0 && report.illFormed == 0) return {};
  std::string text = CountLosses(report, to) + '\n';
  for (int k = 0; k < report.recorded; ++k) {
    const LossRecord& record = report.first[k];
    char line[160];
    int used = std::snprintf(line, sizeof line, "  line %" PRIu64 ", column %" PRIu64 ":", record.line, record.column);
    for (int b = 0; b < record.length && used > 0 && static_cast<size_t>(used) < sizeof line; ++b)
      used += std::snprintf(line + used, sizeof line - static_cast<size_t>(used), " %02X", record.bytes[b]);
    text += line;
    text += record.illFormed ? std::string(" (no character of ") + CodeName(from) + ")\n"
                             : std::string(" (no form in ") + CodeName(to) + ")\n";
  }
  if (report.places > static_cast<uint64_t>(report.recorded))
    text += "  and " + std::to_string(report.places - static_cast<uint64_t>(report.recorded)) + " more\n";
  return text;
}
