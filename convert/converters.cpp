#include "convert/converters.h"

#include <bit>
#include <cstring>

#include "document/byte_classes.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

int ConvertMode = ConvertModeBig5;
ConvertOutputRecord ConvertOutputBuffer;

namespace {
struct ByteRange {
  uint8_t first;
  uint8_t last;
};

bool WriteOutput(ByteSink target) {
  size_t count = ConvertOutputBuffer.count;
  ConvertOutputBuffer.count = 0;
  return target.write(target.handle, ConvertOutputBuffer.bytes, count) == count;
}

// Cell index formulas. A malformed trail byte may give an index outside the
// table (negative in the first row): the caller checks every index.
struct GbSource {
  static constexpr ByteRange LeadRanges[2] = {{0xA1, 0xFE}, {1, 0}};
  static int Index(uint8_t lead, uint8_t trail) { return 94 * (lead - 0xA1) + (trail - 0xA1); }
};

struct Big5Source {
  static constexpr ByteRange LeadRanges[2] = {{0xA1, 0xFE}, {1, 0}};
  static int Index(uint8_t lead, uint8_t trail) {
    int column = trail <= 0x7E ? trail - 0x40 : trail - 0x62;
    return 157 * (lead - 0xA1) + column;
  }
};

struct SjisSource {
  static constexpr ByteRange LeadRanges[2] = {{0x81, 0x9F}, {0xE0, 0xFC}};
  static int Index(uint8_t lead, uint8_t trail) {
    // Lead bytes beyond the table's rows take its first cell.
    if (lead >= 0xEC) return 0;
    int row = lead <= 0x9F ? lead - 0x81 : lead - 0xC1;
    return 189 * row + (trail - 0x40);
  }
};

// Lead bytes lie in one or two ranges; an unused second range is empty
// (first above last).
template <typename Code>
constexpr bool IsLead(uint8_t b) {
  return (b >= Code::LeadRanges[0].first && b <= Code::LeadRanges[0].last) ||
         (b >= Code::LeadRanges[1].first && b <= Code::LeadRanges[1].last);
}

// The byte classes of the viewer, restated as ranges that a block test can use.
constexpr bool LeadRangesMatchByteClasses() {
  for (unsigned b = 0; b < 256; ++b) {
    const uint8_t v = static_cast<uint8_t>(b);
    if (IsLead<GbSource>(v) != IsGbLeadByte(v) || IsLead<Big5Source>(v) != IsBig5LeadByte(v) ||
        IsLead<SjisSource>(v) != IsSjisLeadByte(v))
      return false;
  }
  return true;
}
static_assert(LeadRangesMatchByteClasses());

uint16_t LoadPair(const uint8_t* bytes) {
  uint16_t pair;
  std::memcpy(&pair, bytes, 2);
  return pair;
}

// What each source pair (a byte and the one after it, read as one number)
// writes: the cell of a lead byte's character, or the pair itself. Only the
// first byte of a pair that does not start with a lead byte is kept. A
// character whose index falls outside the table (a malformed trail byte, a
// table shorter than its size) is written as it stands in the source.
uint16_t PairOutput[65536];

template <typename Code>
void FillPairOutput(const uint8_t* table, size_t tableLength) {
  const size_t cells = tableLength / 2;
  uint8_t pair[2];
  for (unsigned first = 0; first < 256; ++first) {
    pair[0] = static_cast<uint8_t>(first);
    for (unsigned second = 0; second < 256; ++second) {
      pair[1] = static_cast<uint8_t>(second);
      uint16_t key = LoadPair(pair);
      PairOutput[key] = key;
      if (!IsLead<Code>(pair[0])) continue;
      int index = Code::Index(pair[0], pair[1]);
      if (index >= 0 && static_cast<size_t>(index) < cells) PairOutput[key] = LoadPair(table + 2 * index);
    }
  }
}

// Bit k set when bytes[k] is a lead byte, for 64 bytes.
template <typename Code>
uint64_t LeadMask(const uint8_t* bytes) {
#ifdef __SSE2__
  uint64_t mask = 0;
  for (int part = 0; part < 4; ++part) {
    __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
    __m128i leads = _mm_setzero_si128();
    for (ByteRange range : Code::LeadRanges) {
      if (range.first > range.last) continue;
      // b - first <= last - first, unsigned: the range test in one compare.
      __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(range.first)));
      __m128i span = _mm_set1_epi8(static_cast<char>(range.last - range.first));
      leads = _mm_or_si128(leads, _mm_cmpeq_epi8(_mm_min_epu8(shifted, span), shifted));
    }
    mask |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(leads))) << (16 * part);
  }
  return mask;
#else
  uint64_t mask = 0;
  for (int k = 0; k < 64; ++k) mask |= static_cast<uint64_t>(IsLead<Code>(bytes[k])) << k;
  return mask;
#endif
}

void PutPair(uint8_t* at, uint16_t pair) { std::memcpy(at, &pair, 2); }

// For each byte of a mask of first bytes, the positions of its set bits.
// First bytes lie at least two apart, so a byte holds at most four; unused
// slots repeat the first position, and writing a character twice is
// harmless. This spares a branch per character.
struct LeadSlotTable {
  uint8_t slots[256][4];
};

constexpr LeadSlotTable MakeLeadSlots() {
  LeadSlotTable table{};
  for (unsigned mask = 1; mask < 256; ++mask) {
    unsigned used = 0;
    for (unsigned bit = 0; bit < 8 && used < 4; ++bit) {
      if ((mask >> bit) & 1) table.slots[mask][used++] = static_cast<uint8_t>(bit);
    }
    for (; used < 4; ++used) table.slots[mask][used] = table.slots[mask][0];
  }
  return table;
}

constexpr LeadSlotTable LeadSlots = MakeLeadSlots();

// Writes the character of every lead byte whose bit is set in `firsts`, eight
// source bytes at a time.
void PutLeadCharacters(uint8_t* to, const uint8_t* from, uint64_t firsts) {
  for (size_t part = 0; part < 8; ++part, firsts >>= 8) {
    const unsigned mask = static_cast<unsigned>(firsts & 0xFF);
    if (mask == 0) continue;
    uint32_t slots;
    std::memcpy(&slots, LeadSlots.slots[mask], 4);
    uint8_t* partTo = to + 8 * part;
    const uint8_t* partFrom = from + 8 * part;
    for (size_t slot = 0; slot < 4; ++slot, slots >>= 8) {
      const size_t at = slots & 0xFF;
      PutPair(partTo + at, PairOutput[LoadPair(partFrom + at)]);
    }
  }
}

// The source is taken 64 bytes at a time: from the lead bytes of a block the
// bits tell which bytes start a character, so the steps need not wait for
// one another. A run of lead bytes always begins a character (the byte
// before it is a single byte or a trail byte), and within the run lead and
// trail alternate. Every character writes as many bytes as it has, so the
// output of source byte p lies at buffer byte p - chunkStart, and a block
// that cannot fill a chunk is written without a check per character. A lead
// byte that is the last source byte has no partner and is dropped.
template <typename Code>
int ConvertByTable(ByteSink target, const uint8_t* table, size_t tableLength, const uint8_t* source,
                   size_t sourceLength, SourcePiece* piece) {
  if (piece == nullptr || !piece->tableReady) FillPairOutput<Code>(table, tableLength);
  if (piece != nullptr) piece->tableReady = true;
  uint8_t* out = ConvertOutputBuffer.bytes;
  ConvertOutputBuffer.count = 0;
  size_t chunkStart = 0;  // the source byte whose output is buffer byte 0
  uint64_t carry = 0;     // 1 when a block's first byte is the trail of the one before
  size_t base = 0;
  // Byte 63 of a block may read its partner at base + 64.
  for (; base + BlockBytes < sourceLength; base += BlockBytes) {
    const uint64_t firstBytes = FirstBytesOfBlock(LeadMask<Code>(source + base), carry);
    uint64_t starts = ~((firstBytes << 1) | carry);
    // The block's last character ends at base + 65 at the latest. A chunk
    // may have ended just past base, after a character carried in.
    if (chunkStart + carry <= base && base - chunkStart + BlockBytes + 1 < ConvertChunkThreshold) {
      uint8_t* to = out + (base - chunkStart);
      const uint8_t* from = source + base;
      // Single bytes are copied with the block, then every character that
      // begins with a lead byte is written over its two bytes; a trail
      // carried in from the block before is put back.
      std::memcpy(to, from, BlockBytes);
      if (carry != 0) PutPair(to - 1, PairOutput[LoadPair(from - 1)]);
      PutLeadCharacters(to, from, firstBytes);
    } else {
      while (starts != 0) {
        const int k = std::countr_zero(starts);
        starts &= starts - 1;
        const size_t at = base + static_cast<size_t>(k);
        PutPair(out + (at - chunkStart), PairOutput[LoadPair(source + at)]);
        const size_t end = at + 1 + static_cast<size_t>((firstBytes >> k) & 1);
        if (end - chunkStart >= ConvertChunkThreshold) {
          ConvertOutputBuffer.count = end - chunkStart;
          if (!WriteOutput(target)) return 1;
          chunkStart = end;
        }
      }
    }
    carry = firstBytes >> 63;
  }
  size_t i = base + static_cast<size_t>(carry);
  while (i + 1 < sourceLength) {
    PutPair(out + (i - chunkStart), PairOutput[LoadPair(source + i)]);
    i += IsLead<Code>(source[i]) ? 2 : 1;
    if (i - chunkStart >= ConvertChunkThreshold) {
      ConvertOutputBuffer.count = i - chunkStart;
      if (!WriteOutput(target)) return 1;
      chunkStart = i;
    }
  }
  if (i < sourceLength && !IsLead<Code>(source[i])) {
    out[i - chunkStart] = source[i];
    ++i;
  }
  ConvertOutputBuffer.count = i - chunkStart;
  if (ConvertOutputBuffer.count > 0 && !WriteOutput(target)) return 1;
  // A lead byte is left: its partner opens the next piece.
  if (piece != nullptr) piece->used = piece->last ? sourceLength : i;
  return 0;
}

bool IsLastPiece(const SourcePiece* piece) { return piece == nullptr || piece->last; }

void Append(uint8_t b) { ConvertOutputBuffer.bytes[ConvertOutputBuffer.count++] = b; }
}  // namespace

const char* ConvertTableName(int mode, int toGb) {
  if (mode == ConvertModeBig5) return toGb == 0 ? "GBBIG5.TBL" : "BIG5GB.TBL";
  if (mode == ConvertModeSjis) return toGb == 0 ? "GBSJIS.TBL" : "SJISGB.TBL";
  return nullptr;
}

size_t ConvertTableSize(int mode, int toGb) {
  if (mode == ConvertModeBig5) return 2 * (toGb == 0 ? GbTableCells : Big5TableCells);
  if (mode == ConvertModeSjis) return 2 * (toGb == 0 ? GbTableCells : SjisTableCells);
  return 0;
}

int ConvertGbBig5(ByteSink target, const uint8_t* table, size_t tableLength, const uint8_t* source, size_t sourceLength,
                  int toGb, SourcePiece* piece) {
  if (toGb == 0) return ConvertByTable<GbSource>(target, table, tableLength, source, sourceLength, piece);
  return ConvertByTable<Big5Source>(target, table, tableLength, source, sourceLength, piece);
}

int ConvertGbSjis(ByteSink target, const uint8_t* table, size_t tableLength, const uint8_t* source, size_t sourceLength,
                  int toGb, SourcePiece* piece) {
  if (toGb == 0) return ConvertByTable<GbSource>(target, table, tableLength, source, sourceLength, piece);
  return ConvertByTable<SjisSource>(target, table, tableLength, source, sourceLength, piece);
}

int ConvertGbToHz(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece) {
  bool gbMode = piece != nullptr && piece->gbMode;
  size_t i = 0;
  ConvertOutputBuffer.count = 0;
  while (i < sourceLength) {
    const uint8_t b = source[i];
    if (IsGbLeadByte(b)) {
      // A lead byte that is the last source byte has no partner: it is
      // dropped, and no "~{" is opened for it.
      if (i + 1 >= sourceLength) {
        if (IsLastPiece(piece)) i = sourceLength;
        break;
      }
      if (!gbMode) {
        Append('~');
        Append('{');
        gbMode = true;
      }
      Append(static_cast<uint8_t>(b & 0x7F));
      Append(static_cast<uint8_t>(source[i + 1] & 0x7F));
      i += 2;
    } else {
      if (gbMode) {
        Append('~');
        Append('}');
        gbMode = false;
      }
      Append(b);
      if (b == '~') Append('~');
      i += 1;
    }
    if (ConvertOutputBuffer.count >= ConvertChunkThreshold && !WriteOutput(target)) return 1;
  }
  if (ConvertOutputBuffer.count > 0 && !WriteOutput(target)) return 1;
  if (piece != nullptr) {
    piece->used = i;
    piece->gbMode = gbMode;
  }
  return 0;
}

int ConvertHzToGb(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece) {
  bool gbMode = piece != nullptr && piece->gbMode;
  size_t i = 0;
  ConvertOutputBuffer.count = 0;
  while (i < sourceLength) {
    const uint8_t b = source[i];
    if (b == '~') {
      // A "~" as the last source byte starts no escape and is dropped, as
      // a "~" before any other byte is.
      if (i + 1 >= sourceLength) {
        if (IsLastPiece(piece)) i = sourceLength;
        break;
      }
      const uint8_t next = source[i + 1];
      if (next == '{') {
        gbMode = true;
        i += 2;
      } else if (next == '}') {
        gbMode = false;
        i += 2;
      } else if (next == '~') {
        Append('~');
        i += 2;
      } else {
        i += 1;
      }
    } else if (gbMode) {
      // A source that ends in GB mode after the first byte of a pair: the
      // unfinished character is dropped.
      if (i + 1 >= sourceLength) {
        if (IsLastPiece(piece)) i = sourceLength;
        break;
      }
      Append(static_cast<uint8_t>(b | 0x80));
      Append(static_cast<uint8_t>(source[i + 1] | 0x80));
      i += 2;
    } else {
      Append(b);
      i += 1;
    }
    if (ConvertOutputBuffer.count >= ConvertChunkThreshold && !WriteOutput(target)) return 1;
  }
  if (ConvertOutputBuffer.count > 0 && !WriteOutput(target)) return 1;
  if (piece != nullptr) {
    piece->used = i;
    piece->gbMode = gbMode;
  }
  return 0;
}
