// HZ to GB on any bytes.
#include "convert/converters.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  CheckedSinkState state;
  state.failAt = static_cast<int>(TakeByte(input) % 8) - 1;
  int result = ConvertHzToGb(MakeCheckedSink(state), input.data, input.size);
  FUZZ_CHECK(result == (state.failed ? 1 : 0));
  // Escapes only ever shrink the text.
  FUZZ_CHECK(state.written <= input.size);
  return 0;
}
