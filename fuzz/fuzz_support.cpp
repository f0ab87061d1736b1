#include "fuzz/fuzz_support.h"

#include <cstdio>

#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "shell/memory.h"
#include "shell/prompts_headless.h"
#include "shell/settings_values.h"

uint8_t TakeByte(FuzzInput& input) {
  if (input.size == 0) return 0;
  uint8_t b = input.data[0];
  ++input.data;
  --input.size;
  return b;
}

uint16_t TakeWord(FuzzInput& input) {
  uint16_t low = TakeByte(input);
  return static_cast<uint16_t>(low | (TakeByte(input) << 8));
}

void FailFuzzCheck(const char* condition, const char* file, int line) {
  std::fprintf(stderr, "invariant broken at %s:%d: %s\n", file, line, condition);
  std::abort();
}

void ResetForFuzzing() {
  ClearHeadlessPrompts();
  FailAllocationsAfter(-1);
  ClearDocument();
  Settings = SettingsRecord{};
  CodeType = CodeGb;
}
