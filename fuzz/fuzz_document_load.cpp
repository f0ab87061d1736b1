// Loading: HZ decoding and the line index at random widths.
#include <algorithm>
#include <vector>

#include "base/settings_values.h"
#include "document/detect_code.h"
#include "document/document.h"
#include "document/hz_decode.h"
#include "document/line_index.h"
#include "fuzz/fuzz_support.h"
#include "tests/reference_rules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetForFuzzing();
  FuzzInput input{data, size};
  Settings.charsPerLine = ClampCharsPerLine(TakeWord(input) % 600);
  bool decodeHz = TakeByte(input) & 1;
  PutDocumentText(nullptr, input.data, input.size);
  if (decodeHz) {
    Document.textLength = static_cast<uint32_t>(DecodeHzText(Document.text.get(), Document.textLength));
    // Decoded in place, the text equals the byte rule's output.
    std::vector<uint8_t> expected(input.data, input.data + input.size);
    if (HoldsHzEscape(input.data, input.size) && !IsUnicodeCode(DetectTextCode(input.data, input.size)))
      expected.resize(DecodeHzByteByByte(input.data, input.size, expected.data()));
    FUZZ_CHECK(Document.textLength == expected.size());
    FUZZ_CHECK(std::equal(expected.begin(), expected.end(), Document.text.get()));
  }
  FUZZ_CHECK(Document.textLength <= input.size);
  FUZZ_CHECK(Document.text[Document.textLength] == 0);
  int code = CodeDetect;
  BuildLineIndex(nullptr, Document.textLength, &code);
  FUZZ_CHECK(code >= CodeGb && code <= CodeUtf16Be);
  FUZZ_CHECK(Document.lineCount >= 0);
  if (Document.lineCount == 0) return 0;
  FUZZ_CHECK(Document.LineIndex[0] == 0);
  FUZZ_CHECK(static_cast<size_t>(Document.lineCount) + 4 <= Document.lineIndexCapacity);
  for (int j = 0; j < Document.lineCount; ++j) {
    // Every display line holds at least one byte, and no more than a line
    // can: width + 1 cells, or a tab's run past the width.
    FUZZ_CHECK(Document.LineIndex[j] < Document.LineIndex[j + 1]);
  }
  FUZZ_CHECK(Document.LineIndex[Document.lineCount] <= Document.textLength);
  return 0;
}
