// The line index against the byte rule, at a width and in a code the input chooses.
#include "base/settings_values.h"
#include "document/document.h"
#include "document/line_index.h"
#include "fuzz/fuzz_support.h"
#include "tests/reference_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetForFuzzing();
  FuzzInput input{data, size};
  // Mostly narrow lines, so that many breaks fall inside few bytes.
  uint8_t choice = TakeByte(input);
  int width = choice < 200 ? 16 + choice % 80 : ClampCharsPerLine(16 + 2 * choice);
  Settings.charsPerLine = width;
  // Each code's reading, or the code detected on the way.
  const int asked = static_cast<int>(TakeByte(input) % 7) - 1;
  int code = asked;
  if (!PutDocumentText(nullptr, input.data, input.size)) return 0;
  if (!BuildLineIndex(nullptr, Document.textLength, &code)) return 0;
  FUZZ_CHECK(asked == CodeDetect ? code >= CodeGb && code <= CodeUtf16Be : code == asked);
  std::vector<uint32_t> expected = IndexByteByByte(input.data, input.size, width, code);
  if (input.size == 0) {
    FUZZ_CHECK(Document.lineCount == 0);
    return 0;
  }
  FUZZ_CHECK(static_cast<size_t>(Document.lineCount) + 1 == expected.size());
  for (size_t k = 0; k < expected.size(); ++k) FUZZ_CHECK(Document.LineIndex[k] == expected[k]);
  FUZZ_CHECK(Document.lineIndexCapacity >= expected.size() + LineIndexFreeEntries);
  return 0;
}
