// HZ to GB on any bytes.
#include "convert/converters.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  size_t written = FuzzRuleConverter(ConvertHzToGb, input);
  // Escapes only ever shrink the text.
  FUZZ_CHECK(written <= input.size);
  return 0;
}
