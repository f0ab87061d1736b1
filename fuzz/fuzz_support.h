// Taking parameters off the front of a fuzzer's input.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

struct FuzzInput {
  const uint8_t* data;
  size_t size;
};

// The next byte, or 0 when the input is used up.
uint8_t TakeByte(FuzzInput& input);

// The next two bytes as a little-endian number.
uint16_t TakeWord(FuzzInput& input);

// Stops the run with a message when an invariant does not hold.
#define FUZZ_CHECK(condition)                                                      \
  do {                                                                             \
    if (!(condition)) FailFuzzCheck(#condition, __FILE__, __LINE__);               \
  } while (0)

[[noreturn]] void FailFuzzCheck(const char* condition, const char* file, int line);

// Clears the prompts recorded by the headless seam and the process-wide
// state, so that one input does not leak into the next.
void ResetForFuzzing();
