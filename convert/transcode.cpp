#include "convert/transcode.h"

#include <atomic>
#include <bit>
#include <cstring>
#include <mutex>

#include "document/byte_classes.h"
#include "document/hz_decode.h"
#include "document/unicode_forms.h"
#include "document/unicode_tables.h"

namespace {
// A block of 64 bytes writes at most three bytes a byte (a single byte of
// katakana), and a last pair's four; no single character writes more (two
// code points of four bytes, or HZ's escapes around a pair).
constexpr size_t LargestBlock = 3 * BlockBytes + 4;

constexpr uint8_t Utf8Replacement[3] = {0xEF, 0xBF, 0xBD};

bool IsLegacy(int code) { return code >= CodeGb && code <= CodeShiftJis; }

// Each pair of bytes of a legacy code (and each single byte, as the pair it
// begins) as its UTF-8, up to three bytes, with their count in the top byte;
// 0 for no character and for one past the first plane. Made once a code
// from its decode table, then read by every conversion on any thread.
struct PairUtf8Table {
  Block<uint32_t> forms;
  std::atomic<bool> made = false;
};

PairUtf8Table PairUtf8[3];
std::mutex PairUtf8Lock;

bool MakePairUtf8(PairUtf8Table& table, int code) {
  if (CodeDecodeTable(code) == nullptr) return false;
  table.forms = AllocateZeroed<uint32_t>(65536);
  if (!table.forms) return false;
  for (unsigned key = 0; key < 65536; ++key) {
    const uint8_t pair[2] = {static_cast<uint8_t>(key & 0xFF), static_cast<uint8_t>(key >> 8)};
    const CharacterStep step = StepCharacter(code, pair, 0, 2);
    const CodePoints points = DecodeCharacter(code, pair, step);
    // Two code points, four bytes of UTF-8, and what is no character take
    // the character's own way.
    if (points.count != 1 || points.first >= 0x10000) continue;
    uint8_t bytes[4] = {};
    const size_t length = AppendUtf8(points.first, bytes);
    table.forms[key] = static_cast<uint32_t>(bytes[0] | bytes[1] << 8 | bytes[2] << 16) | static_cast<uint32_t>(length)
                                                                                              << 24;
  }
  return true;
}

// Null while the code's decode table cannot be had.
const PairUtf8Table* PairUtf8Of(int code) {
  PairUtf8Table& table = PairUtf8[code];
  if (!table.made.load(std::memory_order_acquire)) {
    const std::lock_guard<std::mutex> hold(PairUtf8Lock);
    if (!table.made.load(std::memory_order_relaxed)) {
      if (!MakePairUtf8(table, code)) return nullptr;
      table.made.store(true, std::memory_order_release);
    }
  }
  return &table;
}

bool Flush(ByteSink target, TranscodeState& state) {
  const size_t count = state.count;
  state.count = 0;
  return count == 0 || target.write(target.handle, state.out, count) == count;
}

void Put(TranscodeState& state, const uint8_t* bytes, size_t n) {
  std::memcpy(state.out + state.count, bytes, n);
  state.count += n;
}

void PutByte(TranscodeState& state, uint8_t b) { state.out[state.count++] = b; }

const uint8_t* ReplacementOf(int code) {
  return code == CodeBig5 ? Big5Replacement : code == CodeShiftJis ? SjisReplacement : GbReplacement;
}

// HZ carries GB 2312's rows in GB mode and ASCII outside it.
void PutHz(TranscodeState& state, const uint8_t* bytes, size_t length) {
  if (length == 1) {
    if (state.hzWriting) PutByte(state, '~'), PutByte(state, '}'), state.hzWriting = false;
    PutByte(state, bytes[0]);
    if (bytes[0] == '~') PutByte(state, '~');
    return;
  }
  if (!state.hzWriting) PutByte(state, '~'), PutByte(state, '{'), state.hzWriting = true;
  PutByte(state, static_cast<uint8_t>(bytes[0] & 0x7F));
  PutByte(state, static_cast<uint8_t>(bytes[1] & 0x7F));
}

void PutReplacement(TranscodeState& state) {
  if (state.to == CodeUtf8)
    Put(state, Utf8Replacement, 3);
  else if (state.to == CodeHz)
    PutHz(state, GbReplacement, 2);
  else
    Put(state, ReplacementOf(state.to), 2);
}

// The target's form of one code point; false when it has none.
bool PutCodePoint(TranscodeState& state, char32_t c) {
  if (state.to == CodeUtf8) {
    state.count += AppendUtf8(c, state.out + state.count);
    return true;
  }
  const LegacyForm form = EncodeCharacter(state.to == CodeHz ? CodeGb : state.to, c);
  if (form.length == 0) return false;
  if (state.to != CodeHz) {
    Put(state, form.bytes, form.length);
    return true;
  }
  // HZ holds ASCII and GB 2312's rows only.
  if (form.length == 2 && (form.bytes[0] < 0xA1 || form.bytes[1] < 0xA1)) return false;
  if (form.length == 1 && form.bytes[0] >= 0x80) return false;
  PutHz(state, form.bytes, form.length);
  return true;
}

// The code points of the source character at source[p], and its length.
CodePoints ReadCharacter(const TranscodeState& state, const uint8_t* source, size_t p, size_t n, size_t* length) {
  if (IsUnicodeCode(state.from)) {
    const UnicodeStep step = StepUnicode(state.from, source, p, n);
    *length = step.length;
    return step.valid ? CodePoints{step.codePoint, 0, 1} : CodePoints{};
  }
  // An HZ source arrives decoded into GB.
  const int code = state.from == CodeHz ? CodeGb : state.from;
  const CharacterStep step = StepCharacter(code, source, p, n);
  *length = step.length;
  return DecodeCharacter(code, source + p, step);
}

// One source character at source[p]; returns its length. Its losses go to
// `report` (may be null) at `offset` + p.
size_t ConvertCharacter(TranscodeState& state, const uint8_t* source, size_t p, size_t n, ConvertReport* report,
                        uint64_t offset) {
  size_t length;
  CodePoints points = ReadCharacter(state, source, p, n, &length);
  // A letter and its accent that are one character of the target, as the
  // Hong Kong additions have a few, become that character.
  if (points.count == 1 && state.to == CodeBig5 && IsComposedBase(points.first) && p + length < n) {
    size_t next;
    const CodePoints accent = ReadCharacter(state, source, p + length, n, &next);
    const LegacyForm composed = accent.count == 1 ? EncodeComposed(CodeBig5, points.first, accent.first) : LegacyForm{};
    if (composed.length != 0) {
      Put(state, composed.bytes, composed.length);
      state.atStart = false;
      return length + next;
    }
  }
  const bool atStart = state.atStart;
  state.atStart = false;
  if (points.count == 0) {
    if (report != nullptr) RecordLoss(report, offset + p, source + p, length, true);
    PutReplacement(state);
  } else if (!(atStart && points.first == 0xFEFF && state.from != state.to)) {
    // A byte-order mark opening the text is no text of the target, unless
    // the text keeps its form.
    const size_t before = state.count;
    const bool whole = PutCodePoint(state, points.first) && (points.count == 1 || PutCodePoint(state, points.second));
    if (!whole) {
      state.count = before;
      if (report != nullptr) RecordLoss(report, offset + p, source + p, length, false);
      PutReplacement(state);
    }
  }
  return length;
}

bool IsAsciiBlock(const uint8_t* block) {
  uint64_t high = 0;
  for (size_t k = 0; k < BlockBytes; k += 8) {
    uint64_t word;
    std::memcpy(&word, block + k, 8);
    high |= word;
  }
  return (high & 0x8080808080808080ull) == 0;
}

uint16_t LoadPair(const uint8_t* bytes) {
  uint16_t pair;
  std::memcpy(&pair, bytes, 2);
  return pair;
}

// A whole block of a legacy code into UTF-8, each character by the table,
// when every character in it has a form: the common case, without a branch
// per character. False, with nothing written, when the block must go
// character by character.
bool ConvertBlockToUtf8(TranscodeState& state, const PairUtf8Table& table, const uint8_t* block, size_t* taken) {
  uint8_t* out = state.out + state.count;
  // ASCII is UTF-8 as it stands.
  if (IsAsciiBlock(block)) {
    std::memcpy(out, block, BlockBytes);
    state.count += BlockBytes;
    state.atStart = false;
    *taken = BlockBytes;
    return true;
  }
  const uint64_t firsts = FirstBytesOfWholeBlock(state.from, block);
  if (firsts == WholeBlockRefused) return false;
  uint8_t* const start = out;
  // Held here: the stores through `out` could otherwise change the table's
  // address for all the compiler knows.
  const uint32_t* const forms = table.forms.get();
  uint32_t missing = 0;
  uint64_t starts = ~(firsts << 1);
  for (; starts != 0; starts &= starts - 1) {
    // A single byte is looked up without the byte after it, so that the
    // few cells of single bytes stay in the cache.
    const int at = std::countr_zero(starts);
    const uint32_t lead = static_cast<uint32_t>(firsts >> at) & 1;
    const uint32_t form = forms[LoadPair(block + at) & (0xFF | (0u - lead) << 8)];
    std::memcpy(out, &form, 4);
    out += form >> 24;
    missing |= form == 0;
  }
  if (missing != 0) return false;
  state.count += static_cast<size_t>(out - start);
  state.atStart = false;
  *taken = BlockBytes + static_cast<size_t>(firsts >> 63);
  return true;
}

// Converts the characters of source[0..length) that start before `limit`;
// returns where the next piece begins, or length + 1 when a chunk was not
// written whole.
size_t ConvertRun(ByteSink target, TranscodeState& state, const uint8_t* source, size_t length, size_t limit,
                  ConvertReport* report, uint64_t offset) {
  const PairUtf8Table* table = IsLegacy(state.from) && state.to == CodeUtf8 ? PairUtf8Of(state.from) : nullptr;
  size_t i = 0;
  while (i < limit) {
    if (state.count + LargestBlock >= TranscodeBufferSize && !Flush(target, state)) return length + 1;
    size_t taken = 0;
    if (table != nullptr && i + BlockBytes < length && ConvertBlockToUtf8(state, *table, source + i, &taken)) {
      i += taken;
      continue;
    }
    i += ConvertCharacter(state, source, i, length, report, offset);
  }
  return i;
}
}  // namespace

bool ConvertsThroughUnicode(int from, int to) {
  const bool gbSide = from == CodeGb || to == CodeGb;
  const bool other = from == CodeBig5 || to == CodeBig5 || from == CodeShiftJis || to == CodeShiftJis ||
                     from == CodeHz || to == CodeHz;
  return !(gbSide && other);
}

const char* MissingTranscodeTable(int from, int to) {
  const int reads = from == CodeHz ? CodeGb : from;
  const int writes = to == CodeHz ? CodeGb : to;
  if (IsLegacy(reads) && CodeDecodeTable(reads) == nullptr) return DecodeTableName(reads);
  if (reads == CodeGb && FourByteTable() == nullptr) return FourByteTableName;
  if (IsLegacy(writes) && CodeEncodeTable(writes) == nullptr) return EncodeTableName(writes);
  return nullptr;
}

bool PrepareTranscode(TranscodeState* state, int from, int to, size_t pieceSize) {
  state->from = from;
  state->to = to;
  if (from == CodeHz) {
    state->scratch = AllocateZeroed<uint8_t>(pieceSize + LongestCharacter);
    state->scratchSize = pieceSize + LongestCharacter;
    if (!state->scratch) return false;
  }
  return !(IsLegacy(from) && to == CodeUtf8) || PairUtf8Of(from) != nullptr;
}

int Transcode(ByteSink target, TranscodeState& state, const uint8_t* source, size_t length, SourcePiece* piece) {
  const size_t limit = PieceLimit(length, piece);
  ConvertReport* const report = piece != nullptr ? piece->report : nullptr;
  const uint64_t offset = piece != nullptr ? piece->offset : 0;
  size_t used;
  if (state.from == CodeHz) {
    // HZ is read as the viewer reads it, into GB, which is then converted
    // whole: every character of the decoded run is complete. Its losses
    // stand at their place in the decoded text.
    if (!state.scratch || state.scratchSize < length + LongestCharacter) return 1;
    uint8_t* const decoded = state.scratch.get();
    std::memcpy(decoded, state.carry, state.carried);
    bool gbMode = piece != nullptr && piece->gbMode;
    const size_t n = state.carried + DecodeHzSteps(source, 0, limit, length, decoded + state.carried, &gbMode, &used);
    const size_t taken = ConvertRun(target, state, decoded, n, PieceLimit(n, piece), report, offset);
    if (taken > n) return 1;
    state.carried = n - taken;
    std::memcpy(state.carry, decoded + taken, state.carried);
    if (piece != nullptr) {
      piece->gbMode = gbMode;
      piece->offset += taken;
    }
  } else {
    used = ConvertRun(target, state, source, length, limit, report, offset);
    if (used > length) return 1;
    if (piece != nullptr) piece->offset += used;
  }
  // HZ written out ends in ASCII.
  const bool last = piece == nullptr || piece->last;
  if (last && state.to == CodeHz && state.hzWriting) {
    PutByte(state, '~'), PutByte(state, '}');
    state.hzWriting = false;
  }
  if (!Flush(target, state)) return 1;
  if (piece != nullptr) piece->used = used;
  return 0;
}
