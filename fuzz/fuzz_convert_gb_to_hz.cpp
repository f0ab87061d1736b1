// GB to HZ: chunks, output bound, and well-formed GB coming back whole
// through the HZ to GB converter and through the viewer's HZ decoding.
#include <algorithm>
#include <vector>

#include "convert/converters.h"
#include "document/hz_decode.h"
#include "fuzz/fuzz_support.h"

namespace {
size_t Collect(void* handle, const uint8_t* bytes, size_t count) {
  FUZZ_CHECK(count >= 1 && count <= ConvertChunkThreshold + 3);
  auto* collected = static_cast<std::vector<uint8_t>*>(handle);
  collected->insert(collected->end(), bytes, bytes + count);
  return count;
}

// ASCII and GB 2312 characters: leads 0xA1 to 0xF7, trails 0xA1 to 0xFE.
// (A lead of 0xFE would come out as "~", which HZ cannot carry.)
bool IsWellFormedGb(const uint8_t* bytes, size_t n) {
  for (size_t i = 0; i < n; ++i) {
    if (bytes[i] < 0x80) continue;
    if (bytes[i] < 0xA1 || bytes[i] > 0xF7 || i + 1 >= n || bytes[i + 1] < 0xA1 || bytes[i + 1] > 0xFE) return false;
    ++i;
  }
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  size_t written = FuzzRuleConverter(ConvertGbToHz, input);
  // Each source byte adds at most four output bytes.
  FUZZ_CHECK(written <= 4 * input.size + 2);

  if (!IsWellFormedGb(input.data, input.size)) return 0;
  std::vector<uint8_t> hz;
  FUZZ_CHECK(ConvertGbToHz(ByteSink{Collect, &hz}, input.data, input.size) == 0);
  for (uint8_t b : hz) FUZZ_CHECK(b < 0x80);  // HZ is seven-bit text
  std::vector<uint8_t> gb;
  FUZZ_CHECK(ConvertHzToGb(ByteSink{Collect, &gb}, hz.data(), hz.size()) == 0);
  FUZZ_CHECK(gb.size() == input.size && std::equal(gb.begin(), gb.end(), input.data));
  // The viewer's own HZ decoding reads it back the same.
  std::vector<uint8_t> decoded(hz.size() + 1);
  size_t n = DecodeHzBytes(hz.data(), hz.size(), decoded.data());
  FUZZ_CHECK(n == input.size && std::equal(input.data, input.data + input.size, decoded.begin()));
  return 0;
}
