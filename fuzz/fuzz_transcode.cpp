// Conversion through Unicode on any bytes, between any two codes, with the
// tables built beside the fuzzer: whole and in pieces alike, and UTF-8 out
// always well formed.
#include <cstring>
#include <vector>

#include "base/program_path.h"
#include "convert/transcode.h"
#include "document/code_rules.h"
#include "fuzz/fuzz_support.h"

namespace {
struct Output {
  std::vector<uint8_t> bytes;
};

size_t Collect(void* handle, const uint8_t* bytes, size_t count) {
  FUZZ_CHECK(count >= 1 && count <= TranscodeBufferSize);
  auto* output = static_cast<Output*>(handle);
  output->bytes.insert(output->bytes.end(), bytes, bytes + count);
  return count;
}

// Converts `source` in pieces of `size` new bytes after what the piece
// before left, as a file is converted.
Output Convert(int from, int to, const uint8_t* source, size_t n, size_t size, ConvertReport* report) {
  TranscodeState state;
  FUZZ_CHECK(PrepareTranscode(&state, from, to, size + LongestCharacter));
  Output output;
  std::vector<uint8_t> buffer;
  SourcePiece piece;
  piece.report = report;
  for (size_t next = 0; !piece.last;) {
    const size_t take = n - next < size ? n - next : size;
    buffer.insert(buffer.end(), source + next, source + next + take);
    next += take;
    piece.last = next == n;
    FUZZ_CHECK(Transcode(ByteSink{Collect, &output}, state, buffer.data(), buffer.size(), &piece) == 0);
    FUZZ_CHECK(piece.used <= buffer.size());
    FUZZ_CHECK(piece.last ? piece.used == buffer.size() : buffer.size() - piece.used < LongestCharacter);
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(piece.used));
  }
  return output;
}

const int Sources[7] = {CodeGb, CodeBig5, CodeShiftJis, CodeUtf8, CodeUtf16Le, CodeUtf16Be, CodeHz};
const int Targets[5] = {CodeGb, CodeBig5, CodeShiftJis, CodeHz, CodeUtf8};
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char*** argv) {
  // The tables lie beside the fuzzer, as beside the programs.
  SetModulePath((*argv)[0]);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput input{data, size};
  const int from = Sources[TakeByte(input) % 7];
  const int to = Targets[TakeByte(input) % 5];
  const size_t pieceSize = 4 + TakeByte(input) % 64;
  if (MissingTranscodeTable(from, to) != nullptr) return 0;
  ConvertReport whole, pieces;
  const Output all = Convert(from, to, input.data, input.size, input.size + 1, &whole);
  const Output cut = Convert(from, to, input.data, input.size, pieceSize, &pieces);
  FUZZ_CHECK(all.bytes == cut.bytes);
  FUZZ_CHECK(whole.lost == pieces.lost && whole.illFormed == pieces.illFormed && whole.recorded == pieces.recorded);
  for (int k = 0; k < whole.recorded; ++k) FUZZ_CHECK(whole.first[k].offset == pieces.first[k].offset);
  // A character becomes at most four bytes, HZ's escapes two more.
  FUZZ_CHECK(all.bytes.size() <= 4 * input.size + 2);
  if (to == CodeUtf8) {
    for (size_t p = 0; p < all.bytes.size();) {
      const UnicodeStep step = StepUtf8(all.bytes.data(), p, all.bytes.size());
      FUZZ_CHECK(step.valid);
      p += step.length;
    }
  }
  return 0;
}
