// Reading a whole number typed into a field or stored in the settings file.
#include <string>

#include "base/integer_text.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const char* text = reinterpret_cast<const char*>(data);
  int value = ReadLeadingInteger(text, size);
  // A NUL ends the number like any other byte, so the terminated form agrees.
  std::string terminated(text, size);
  FUZZ_CHECK(ReadLeadingInteger(terminated.c_str()) == value);
  // Without a digit right after the blanks and sign there is no number.
  size_t i = 0;
  while (i < size && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  if (i < size && (text[i] == '+' || text[i] == '-')) ++i;
  if (i >= size || text[i] < '0' || text[i] > '9') FUZZ_CHECK(value == 0);
  return 0;
}
