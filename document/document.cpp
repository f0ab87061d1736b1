#include "document/document.h"

#include <algorithm>
#include <cstring>

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/read_whole.h"
#include "base/settings_values.h"
#include "document/hz_decode.h"
#include "document/line_index.h"

DocumentRecord Document;
int CodeType = CodeGb;

namespace {
// Offsets in the line index are 32-bit and the byte after the text must be
// addressable too, so a text stops one short of 4 GiB.
constexpr uint64_t MaxTextLength = 0xFFFFFFFEu;
}  // namespace

void ClearDocument() {
  Document.text.reset();
  Document.textSize = 0;
  Document.textLength = 0;
  Document.fromFile = false;
  Document.LineIndex.reset();
  Document.lineIndexCapacity = 0;
  Document.lineCount = 0;
}

bool LoadDocument(WindowRef owner, const char* path) {
  FileHandle file = OpenForReading(path);
  uint64_t size = 0;
  if (!file || !MeasureFile(file.get(), &size)) {
    ShowErrorBox(owner, ErrorOpenFile, path, StyleStop);
    return false;
  }
  if (size > MaxTextLength || size + 1 > static_cast<uint64_t>(static_cast<size_t>(-1))) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  Block<uint8_t> text = AllocateZeroed<uint8_t>(static_cast<size_t>(size) + 1);
  if (!text) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  PrepareToFill(text.get(), static_cast<size_t>(size));
  // An empty file reads nothing and is an empty document, not a failure.
  if (size > 0 && ReadWhole(file.get(), text.get(), static_cast<size_t>(size)) == 0) {
    ShowErrorBox(owner, ErrorReadFile, path, StylePlain);
    return false;
  }
  file.reset();
  // Read whole: only now does the new text take the old one's place.
  Document.text = std::move(text);
  Document.textSize = static_cast<size_t>(size) + 1;
  Document.textLength = static_cast<uint32_t>(size);
  Document.fromFile = IdentifyFile(path, &Document.source);
  if (Settings.supportHZ != 0) DecodeHz();
  return true;
}

bool PutDocumentText(WindowRef owner, const uint8_t* bytes, size_t n) {
  ClearDocument();
  Block<uint8_t> text = n <= MaxTextLength ? AllocateZeroed<uint8_t>(n + 1) : nullptr;
  if (!text) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  if (n > 0) std::memcpy(text.get(), bytes, n);
  Document.text = std::move(text);
  Document.textSize = n + 1;
  Document.textLength = static_cast<uint32_t>(n);
  return true;
}

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
