#include "document/display_line.h"

#include "document/document.h"

namespace {
constexpr uint8_t BlankLine[2] = {' ', 0};
}  // namespace

DisplayLineBytes DisplayLine(int line) {
  const DocumentRecord& doc = Document;
  if (line < 0 || line >= doc.lineCount || !doc.LineIndex || !doc.text) return {BlankLine, 1, sizeof BlankLine};
  const uint32_t start = doc.LineIndex[line];
  const uint32_t end = doc.LineIndex[line + 1];
  return {doc.text.get() + start, static_cast<int>(end - start), doc.textSize - start};
}
