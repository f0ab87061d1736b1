// The line index against the byte rule, at a width the input chooses.
#include "document/document.h"
#include "document/line_index.h"
#include "fuzz/fuzz_support.h"
#include "shell/settings_values.h"
#include "tests/reference_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetForFuzzing();
  FuzzInput input{data, size};
  // Mostly narrow lines, so that many breaks fall inside few bytes.
  uint8_t choice = TakeByte(input);
  int width = choice < 200 ? 16 + choice % 80 : ClampCharsPerLine(16 + 2 * choice);
  Settings.charsPerLine = width;
  if (!PutDocumentText(nullptr, input.data, input.size)) return 0;
  if (!BuildLineIndex(nullptr, Document.textLength)) return 0;
  ReferenceIndex expected = IndexByteByByte(input.data, input.size, width);
  if (input.size == 0) {
    FUZZ_CHECK(Document.lineCount == 0);
    return 0;
  }
  FUZZ_CHECK(static_cast<size_t>(Document.lineCount) + 1 == expected.entries.size());
  for (size_t k = 0; k < expected.entries.size(); ++k) FUZZ_CHECK(Document.LineIndex[k] == expected.entries[k]);
  FUZZ_CHECK(CodeType == expected.code);
  FUZZ_CHECK(Document.lineIndexCapacity >= expected.entries.size() + LineIndexFreeEntries);
  return 0;
}
