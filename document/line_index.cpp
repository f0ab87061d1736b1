#include "document/line_index.h"

#include "document/byte_classes.h"
#include "document/document.h"
#include "shell/error_messages.h"
#include "shell/settings_values.h"
#include "shell/view_state.h"

namespace {
void DropIndex() {
  Document.LineIndex.reset();
  Document.lineIndexCapacity = 0;
  Document.lineCount = 0;
}

// Index storage that grows in fixed steps, counting the entries written since
// the last growth.
struct IndexWriter {
  uint32_t* entries;
  int sinceGrowth;

  bool Append(uint32_t offset) {
    if (sinceGrowth + 1 == LineIndexGrowthCount) {
      size_t grown = Document.lineIndexCapacity + LineIndexStep;
      if (!GrowBlock(Document.LineIndex, grown)) return false;
      Document.lineIndexCapacity = grown;
      entries = Document.LineIndex.get();
      sinceGrowth = 0;
    }
    ++sinceGrowth;
    entries[++Document.lineCount] = offset;
    return true;
  }
};
}  // namespace

bool BuildLineIndex(WindowRef owner, uint32_t n) {
  ViewState.firstLine = 0;
  Document.lineCount = 0;
  // The text keeps one byte after the indexed ones, so n stays below textSize.
  if (Document.textSize == 0)
    n = 0;
  else if (n > Document.textSize - 1)
    n = static_cast<uint32_t>(Document.textSize - 1);
  Document.textLength = n;
  if (n == 0) return true;

  DropIndex();
  Document.LineIndex = AllocateZeroed<uint32_t>(LineIndexStep);
  if (!Document.LineIndex) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  Document.lineIndexCapacity = LineIndexStep;
  Document.LineIndex[0] = 0;

  const uint8_t* text = Document.text.get();
  const int width = ClampCharsPerLine(Settings.charsPerLine);
  IndexWriter writer{Document.LineIndex.get(), 0};
  int code = CodeGb;
  int col = 0;
  bool secondByte = false;
  uint32_t end = n;
  for (uint32_t p = 0; p < n; ++p) {
    uint8_t b = text[p];
    if (b == 0x09) {
      col = col - col % 8 + 8;
    } else if (b == 0x0A) {
      col = width;
    } else if (b == 0x0D) {
      ++col;
    } else if (b == 0x1A) {
      end = p;
      break;
    } else if (secondByte) {
      if (b >= 0x40 && b <= 0xA0 && code != CodeShiftJis) code = CodeBig5;
      ++col;
      secondByte = false;
    } else if (IsAsciiByte(b)) {
      ++col;
    } else {
      // A first byte: its character stays whole, so no break follows it.
      if (b <= 0xA0) code = CodeShiftJis;
      ++col;
      secondByte = true;
      continue;
    }
    if (col >= width) {
      if (!writer.Append(p + 1)) {
        DropIndex();
        ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
        return false;
      }
      col = 0;
    }
  }
  if (col > 0 && !writer.Append(end)) {
    DropIndex();
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  CodeType = code;
  return true;
}
