// Conversion through Unicode: a text of any code ZK reads into UTF-8, and
// UTF-8 (or UTF-16) or any code into any other, each character by its
// Unicode form. What the target cannot hold is counted into the piece's
// report, and so is every byte of the source that is no character.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/memory.h"
#include "convert/converters.h"
#include "document/code_rules.h"

// HZ as a conversion's source or target, beside the codes of CodeTypes.
constexpr int CodeHz = 6;

constexpr size_t TranscodeBufferSize = 4096;

// One conversion's state, piece to piece: each conversion has its own, so
// that several run at once.
struct TranscodeState {
  int from = CodeGb;
  int to = CodeUtf8;
  bool hzWriting = false;  // HZ target: the output in GB mode
  bool atStart = true;     // a byte-order mark at the very start is no text
  Block<uint8_t> scratch;  // an HZ source, decoded
  size_t scratchSize = 0;
  // The decoded bytes of an HZ piece that may begin a character the next
  // piece ends.
  uint8_t carry[LongestCharacter] = {};
  size_t carried = 0;
  uint8_t out[TranscodeBufferSize];
  size_t count = 0;
};

// Whether ZK converts `from` into `to` through Unicode; false for a pair its
// tables convert directly. A code into itself goes through Unicode, which
// finds the bytes that are no character.
bool ConvertsThroughUnicode(int from, int to);

// The name of a table beside the program that converting `from` into `to`
// needs and cannot have; null when all are there.
const char* MissingTranscodeTable(int from, int to);

// Readies `state` for converting `from` into `to` (pieces of at most
// pieceSize bytes); false when its tables cannot be had (memory).
bool PrepareTranscode(TranscodeState* state, int from, int to, size_t pieceSize);

// Converts source[0..length) as ConvertGbBig5 and the others do: chunks to
// `target`, pieces and their report as SourcePiece says. A character the
// target has no form for, and a byte that is no character, become the
// target's replacement (U+FFFD in UTF-8). Result 0, or 1 as soon as a chunk
// was not written whole.
int Transcode(ByteSink target, TranscodeState& state, const uint8_t* source, size_t length,
              SourcePiece* piece = nullptr);
