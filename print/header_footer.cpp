#include "print/header_footer.h"

#include <cstdio>
#include <cstring>

namespace {
struct PartRecord {
  uint8_t bytes[HeaderPartCapacity];
  size_t length = 0;
};

void AppendText(PartRecord& part, const char* text) {
  for (size_t k = 0; text[k] != '\0' && part.length < HeaderPartCapacity; ++k)
    part.bytes[part.length++] = static_cast<uint8_t>(text[k]);
}

// Puts `part` at cell `start` (which may be negative or past the line); a
// part that would begin before cell 0 begins there, and bytes past the end
// of the line are dropped.
void PlacePart(const PartRecord& part, long start, uint8_t* line, size_t width) {
  size_t from = start < 0 ? 0 : static_cast<size_t>(start);
  if (from >= width) return;
  size_t count = part.length < width - from ? part.length : width - from;
  std::memcpy(line + from, part.bytes, count);
}
}  // namespace

size_t ComposeHeaderFooter(const char* templateText, int32_t page, const char* fileName, const LocalTime& now,
                           int32_t charsPerLine, uint8_t* line, size_t lineCapacity) {
  if (templateText == nullptr || templateText[0] == '\0' || line == nullptr || charsPerLine <= 0) return 0;
  PartRecord left, centre, right;
  PartRecord* target = &centre;
  char number[64];
  for (size_t i = 0; templateText[i] != '\0'; ++i) {
    if (templateText[i] != '&') {
      if (target->length < HeaderPartCapacity) target->bytes[target->length++] = static_cast<uint8_t>(templateText[i]);
      continue;
    }
    char code = templateText[i + 1];
    if (code == '\0') break;
    ++i;
    switch (code) {
      case 'l':
        target = &left;
        target->length = 0;
        break;
      case 'c':
        target = &centre;
        target->length = 0;
        break;
      case 'r':
        target = &right;
        target->length = 0;
        break;
      case 'f':
        AppendText(*target, fileName != nullptr ? fileName : "");
        break;
      case 'p':
        std::snprintf(number, sizeof number, "%d", static_cast<int>(page));
        AppendText(*target, number);
        break;
      case 'd':
        std::snprintf(number, sizeof number, "%04d/%02d/%02d", now.year, now.month, now.day);
        AppendText(*target, number);
        break;
      case 't':
        std::snprintf(number, sizeof number, "%02d:%02d", now.hour, now.minute);
        AppendText(*target, number);
        break;
      default:
        break;
    }
  }
  size_t width = static_cast<size_t>(charsPerLine) < lineCapacity ? static_cast<size_t>(charsPerLine) : lineCapacity;
  if (width == 0) return 0;
  std::memset(line, ' ', width);
  const long cells = static_cast<long>(width);
  PlacePart(left, 0, line, width);
  // (cells - length) / 2 truncates toward zero, as the layout asks.
  PlacePart(centre, (cells - static_cast<long>(centre.length)) / 2, line, width);
  PlacePart(right, cells - static_cast<long>(right.length), line, width);
  return width;
}
