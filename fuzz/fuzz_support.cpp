#include "fuzz/fuzz_support.h"

#include <cstdio>
#include <vector>

#include "base/memory.h"
#include "base/prompts_headless.h"
#include "base/settings_values.h"
#include "convert/converters.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "document/unicode_tables.h"

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
  GlyphFont.extension.reset();
}

namespace {
size_t WriteChecked(void* handle, const uint8_t* bytes, size_t count) {
  auto* state = static_cast<CheckedSinkState*>(handle);
  FUZZ_CHECK(!state->failed);  // nothing is written after a failure
  FUZZ_CHECK(count >= 1 && count <= ConvertChunkThreshold + 3);
  FUZZ_CHECK(bytes != nullptr);
  if (state->chunks++ == state->failAt) {
    state->failed = true;
    return count - 1;
  }
  state->written += count;
  return count;
}
}  // namespace

ByteSink MakeCheckedSink(CheckedSinkState& state) { return ByteSink{WriteChecked, &state}; }

size_t FuzzRuleConverter(RuleConverter convert, FuzzInput& input) {
  CheckedSinkState state;
  state.failAt = static_cast<int>(TakeByte(input) % 8) - 1;
  int result = convert(MakeCheckedSink(state), input.data, input.size, nullptr);
  FUZZ_CHECK(result == (state.failed ? 1 : 0));
  return state.written;
}

void FuzzTableConverter(TableConverter convert, size_t fullTableSize, const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  int toGb = TakeByte(input) & 1;
  CheckedSinkState state;
  state.failAt = static_cast<int>(TakeByte(input) % 8) - 1;
  // Tables and extensions of every length up to a whole one, short ones most of all.
  size_t tableLength = (static_cast<size_t>(TakeWord(input)) * 7) % (fullTableSize + 1);
  size_t extensionLength = (static_cast<size_t>(TakeWord(input)) * 11) % (2 * GridCells + 1);
  std::vector<uint8_t> table(tableLength), extension(extensionLength);
  for (size_t i = 0; i < tableLength; ++i) table[i] = static_cast<uint8_t>(i * 131 + 7);
  for (size_t i = 0; i < extensionLength; ++i) extension[i] = static_cast<uint8_t>(i % 5 == 0 ? 0 : i * 37 + 3);
  ConvertTables tables{table.data(), table.size(), extension.data(), extension.size(), {0xA1, 0x48}};
  int result = convert(MakeCheckedSink(state), tables, input.data, input.size, toGb, nullptr);
  FUZZ_CHECK(result == (state.failed ? 1 : 0));
  FUZZ_CHECK(state.written <= input.size);
}
