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
#define FUZZ_CHECK(condition)                                        \
  do {                                                               \
    if (!(condition)) FailFuzzCheck(#condition, __FILE__, __LINE__); \
  } while (0)

[[noreturn]] void FailFuzzCheck(const char* condition, const char* file, int line);

// Clears the prompts recorded by the headless seam and the process-wide
// state, so that one input does not leak into the next.
void ResetForFuzzing();

// A sink that checks every chunk a converter writes, counts the bytes, and
// fails on the chunk numbered failAt (never when failAt is negative).
struct CheckedSinkState {
  size_t written = 0;
  int chunks = 0;
  int failAt = -1;
  bool failed = false;
};

struct ByteSink;
struct SourcePiece;
ByteSink MakeCheckedSink(CheckedSinkState& state);

// Runs an HZ converter on the rest of `input` through a checked sink that
// fails at a chunk the input chooses; checks the result against the sink and
// returns the bytes written.
using RuleConverter = int (*)(ByteSink, const uint8_t*, size_t, SourcePiece*);
size_t FuzzRuleConverter(RuleConverter convert, FuzzInput& input);

// Runs one conversion through a checked sink, with a table, extension, source and
// failure point taken from the input, and checks what every converter
// promises: chunks of at most 2041 bytes, an output within `outputBound`
// times the source (plus 2), and a stop at the first failed chunk.
struct ConvertTables;
using TableConverter = int (*)(ByteSink, const ConvertTables&, const uint8_t*, size_t, int, SourcePiece*);
void FuzzTableConverter(TableConverter convert, size_t fullTableSize, const uint8_t* data, size_t size);
