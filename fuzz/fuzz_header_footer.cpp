// Header and footer templates with random codes, page numbers and widths.
#include <string>
#include <vector>

#include "fuzz/fuzz_support.h"
#include "print/header_footer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  int32_t charsPerLine = static_cast<int32_t>(TakeWord(input) % 700) - 20;
  int32_t page = static_cast<int32_t>(TakeWord(input) | (TakeWord(input) << 16));
  size_t capacity = TakeWord(input) % 1200;
  LocalTime now{TakeWord(input) - 30000, TakeByte(input) - 100, TakeByte(input), TakeByte(input), TakeByte(input)};
  size_t nameLength = TakeByte(input);
  std::string fileName(reinterpret_cast<const char*>(input.data), nameLength < input.size ? nameLength : input.size);
  input.data += fileName.size();
  input.size -= fileName.size();
  std::string templateText(reinterpret_cast<const char*>(input.data), input.size);
  templateText = templateText.substr(0, templateText.find('\0'));

  // A guard byte after the line shows any write past its capacity.
  std::vector<uint8_t> line(capacity + 1, 0xA5);
  size_t length =
      ComposeHeaderFooter(templateText.c_str(), page, fileName.c_str(), now, charsPerLine, line.data(), capacity);
  FUZZ_CHECK(line[capacity] == 0xA5);
  size_t expected = charsPerLine <= 0 || templateText.empty()      ? 0
                    : static_cast<size_t>(charsPerLine) < capacity ? static_cast<size_t>(charsPerLine)
                                                                   : capacity;
  // A composed line fills exactly the line's cells.
  FUZZ_CHECK(length == expected);
  return 0;
}
