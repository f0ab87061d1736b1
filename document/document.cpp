#include "document/document.h"

#include <cstring>

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/read_whole.h"
#include "base/settings_values.h"
#include "document/hz_decode.h"

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
  if (Settings.supportHZ != 0)
    Document.textLength = static_cast<uint32_t>(DecodeHzText(Document.text.get(), Document.textLength));
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
