#include "document/document_lines.h"

#include <algorithm>

#include "document/document.h"
#include "document/line_index.h"

bool LoadAndIndexDocument(WindowRef owner, const char* path) {
  if (!LoadDocument(owner, path)) return false;
  // A failure here shows its message and leaves the new text without lines.
  int code = CodeDetect;
  if (BuildLineIndex(owner, Document.textLength, &code) && Document.textLength > 0) CodeType = code;
  return true;
}

bool SwitchDocumentCode(WindowRef owner, int code) {
  CodeType = code;
  if (Document.textLength == 0) return true;
  return BuildLineIndex(owner, Document.textLength, &code);
}

int LineHolding(uint32_t offset) {
  if (Document.lineCount <= 0) return 0;
  const uint32_t* begin = Document.LineIndex.get() + 1;
  const uint32_t* end = begin + Document.lineCount;
  // The first line whose end lies past the offset.
  const uint32_t* found = std::upper_bound(begin, end, offset);
  return found == end ? Document.lineCount - 1 : static_cast<int>(found - begin);
}
