#include "convert/converters.h"

#include <bit>
#include <cstring>

#include "document/byte_classes.h"
#include "document/code_cells.h"
#include "document/code_rules.h"
#include "document/hz_decode.h"
#include "document/unicode_tables.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

int ConvertMode = ConvertModeBig5;
thread_local ConvertOutputRecord ConvertOutputBuffer;

namespace {
struct ByteRange {
  uint8_t first;
  uint8_t last;  // an unused range has first above last
};

bool WriteOutput(ByteSink target) {
  size_t count = ConvertOutputBuffer.count;
  ConvertOutputBuffer.count = 0;
  return target.write(target.handle, ConvertOutputBuffer.bytes, count) == count;
}

// Each source code: its lead and trail bytes as ranges a block test can use,
// and where a character lies in the code's table file (-1 outside it, where
// the extension's grid takes over).
struct GbSource {
  static constexpr int Code = CodeGb;
  static constexpr const uint8_t* Replacement = GbReplacement;
  static constexpr ByteRange LeadRanges[2] = {{0x81, 0xFE}, {1, 0}};
  static constexpr ByteRange TrailRanges[2] = {{0x40, 0x7E}, {0x80, 0xFE}};
  static int Index(uint8_t lead, uint8_t trail) { return lead < 0xA1 || trail < 0xA1 ? -1 : GbCell(lead, trail); }
};

struct Big5Source {
  static constexpr int Code = CodeBig5;
  static constexpr const uint8_t* Replacement = Big5Replacement;
  static constexpr ByteRange LeadRanges[2] = {{0x81, 0xFE}, {1, 0}};
  static constexpr ByteRange TrailRanges[2] = {{0x40, 0x7E}, {0xA1, 0xFE}};
  static int Index(uint8_t lead, uint8_t trail) { return lead < 0xA1 ? -1 : Big5Cell(lead, trail); }
};

struct SjisSource {
  static constexpr int Code = CodeShiftJis;
  static constexpr const uint8_t* Replacement = SjisReplacement;
  static constexpr ByteRange LeadRanges[2] = {{0x81, 0x9F}, {0xE0, 0xFC}};
  static constexpr ByteRange TrailRanges[2] = {{0x40, 0x7E}, {0x80, 0xFC}};
  static int Index(uint8_t lead, uint8_t trail) {
    // The table file has no row 0xEC, which the font has.
    return lead >= 0xEC ? -1 : SjisCell(lead, trail);
  }
};

constexpr bool InRanges(const ByteRange (&ranges)[2], uint8_t b) {
  return (b >= ranges[0].first && b <= ranges[0].last) || (b >= ranges[1].first && b <= ranges[1].last);
}

// The ranges say what the code's rule says.
template <typename Code>
constexpr bool RangesMatchTheRule() {
  for (unsigned b = 0; b < 256; ++b) {
    const uint8_t v = static_cast<uint8_t>(b);
    if (InRanges(Code::LeadRanges, v) != IsLeadOf(Code::Code, v) ||
        InRanges(Code::TrailRanges, v) != IsTrailOf(Code::Code, v))
      return false;
  }
  return true;
}
static_assert(RangesMatchTheRule<GbSource>() && RangesMatchTheRule<Big5Source>() && RangesMatchTheRule<SjisSource>());

uint16_t LoadPair(const uint8_t* bytes) {
  uint16_t pair;
  std::memcpy(&pair, bytes, 2);
  return pair;
}

void PutPair(uint8_t* at, uint16_t pair) { std::memcpy(at, &pair, 2); }

// What each source pair (a lead and its trail, read as one number) writes.
// The table file's cell when the character lies in it and the cell is no
// replacement; else the extension's cell, where a position that is no
// character gives the replacement; without an extension, the table's cell
// or, outside it, the pair as it stands. Each thread has its own, and a
// mark of the pairs that lose their character: they write the replacement,
// and are not the source's own full-width question mark.
thread_local uint16_t PairOutput[65536];
thread_local uint8_t PairLoses[65536];

template <typename Code>
void FillPairOutput(const ConvertTables& tables) {
  const size_t cells = tables.length / 2, extensionCells = tables.extensionLength / 2;
  uint8_t pair[2];
  for (unsigned first = 0; first < 256; ++first) {
    pair[0] = static_cast<uint8_t>(first);
    for (unsigned second = 0; second < 256; ++second) {
      pair[1] = static_cast<uint8_t>(second);
      const uint16_t key = LoadPair(pair);
      PairOutput[key] = key;
      PairLoses[key] = 0;
      if (!InRanges(Code::LeadRanges, pair[0]) || !InRanges(Code::TrailRanges, pair[1])) continue;
      const int index = Code::Index(pair[0], pair[1]);
      const bool inTable = index >= 0 && static_cast<size_t>(index) < cells;
      if (inTable) PairOutput[key] = LoadPair(tables.table + 2 * index);
      if (tables.extension == nullptr || (inTable && PairOutput[key] != LoadPair(tables.replacement))) continue;
      const size_t k = GridIndex(pair[0], pair[1]);
      if (k >= extensionCells) continue;
      const uint16_t cell = LoadPair(tables.extension + 2 * k);
      PairOutput[key] = cell != 0 ? cell : LoadPair(tables.replacement);
    }
  }
  const uint16_t replacement = LoadPair(tables.replacement), own = LoadPair(Code::Replacement);
  for (unsigned key = 0; key < 65536; ++key)
    PairLoses[key] = PairOutput[key] == replacement && key != own && IsLeadOf(Code::Code, key & 0xFF);
}

#ifdef __SSE2__
// 0xFF where a byte of x lies in the range.
__m128i RangeBytes(__m128i x, ByteRange range) {
  if (range.first > range.last) return _mm_setzero_si128();
  // b - first <= last - first, unsigned: the range test in one compare.
  const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(range.first)));
  const __m128i span = _mm_set1_epi8(static_cast<char>(range.last - range.first));
  return _mm_cmpeq_epi8(_mm_min_epu8(shifted, span), shifted);
}
#endif

struct BlockMasks {
  uint64_t leads;   // bit k set when byte k is a lead of the code
  uint64_t trails;  // ... when it may follow a lead
};

// The lead and trail bytes of a block of 64, in one pass over it.
template <typename Code>
BlockMasks ClassifyBlock(const uint8_t* bytes) {
  BlockMasks masks{0, 0};
#ifdef __SSE2__
  for (int part = 0; part < 4; ++part) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
    const __m128i leads = _mm_or_si128(RangeBytes(x, Code::LeadRanges[0]), RangeBytes(x, Code::LeadRanges[1]));
    const __m128i trails = _mm_or_si128(RangeBytes(x, Code::TrailRanges[0]), RangeBytes(x, Code::TrailRanges[1]));
    masks.leads |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(leads))) << (16 * part);
    masks.trails |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(trails))) << (16 * part);
  }
#else
  for (int k = 0; k < 64; ++k) {
    masks.leads |= static_cast<uint64_t>(InRanges(Code::LeadRanges, bytes[k])) << k;
    masks.trails |= static_cast<uint64_t>(InRanges(Code::TrailRanges, bytes[k])) << k;
  }
#endif
  return masks;
}

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
// source bytes at a time; true when one of them lost its character.
bool PutLeadCharacters(uint8_t* to, const uint8_t* from, uint64_t firsts) {
  unsigned loses = 0;
  for (size_t part = 0; part < 8; ++part, firsts >>= 8) {
    const unsigned mask = static_cast<unsigned>(firsts & 0xFF);
    if (mask == 0) continue;
    uint32_t slots;
    std::memcpy(&slots, LeadSlots.slots[mask], 4);
    uint8_t* partTo = to + 8 * part;
    const uint8_t* partFrom = from + 8 * part;
    for (size_t slot = 0; slot < 4; ++slot, slots >>= 8) {
      const size_t at = slots & 0xFF;
      const uint16_t key = LoadPair(partFrom + at);
      PutPair(partTo + at, PairOutput[key]);
      loses |= PairLoses[key];
    }
  }
  return loses != 0;
}

// Counts the pairs of a block that lost their character.
void ReportBlockLosses(ConvertReport* report, uint64_t offset, const uint8_t* block, uint64_t firsts) {
  for (; firsts != 0; firsts &= firsts - 1) {
    const size_t at = static_cast<size_t>(std::countr_zero(firsts));
    if (PairLoses[LoadPair(block + at)] != 0) RecordLoss(report, offset + at, block + at, 2, false);
  }
}

// The first bytes of the characters of a block that starts a character, when
// every lead in it has its trail (the last one's may be the byte after it);
// WholeBlockRefused otherwise.
template <typename Code>
uint64_t WholeBlockFirsts(const uint8_t* block) {
  const BlockMasks masks = ClassifyBlock<Code>(block);
  const uint64_t firsts = FirstBytesOfBlock(masks.leads, 0);
  const bool lastPairWhole = (firsts >> 63) == 0 || InRanges(Code::TrailRanges, block[BlockBytes]);
  return ((firsts << 1) & ~masks.trails) == 0 && lastPairWhole ? firsts : WholeBlockRefused;
}

// The source is taken 64 bytes at a time where it can be: from the lead bytes
// of a block the bits tell which bytes start a character, so the steps need
// not wait for one another. A run of lead bytes always begins a character
// (the byte before it is a single byte or a trail), and within the run lead
// and trail alternate. When every lead has its trail, every character writes
// as many bytes as it has, and a block that cannot fill a chunk is written
// without a check per character. Elsewhere the characters are taken one by
// one by the code's rule: a byte that is no character passes unchanged, GB
// 18030's four bytes become the replacement.
template <typename Code>
int ConvertByTable(ByteSink target, const ConvertTables& tables, const uint8_t* source, size_t sourceLength,
                   SourcePiece* piece) {
  if (piece == nullptr || !piece->tableReady) FillPairOutput<Code>(tables);
  if (piece != nullptr) piece->tableReady = true;
  const size_t limit = PieceLimit(sourceLength, piece);
  ConvertReport* const report = piece != nullptr ? piece->report : nullptr;
  const uint64_t offset = piece != nullptr ? piece->offset : 0;
  uint8_t* out = ConvertOutputBuffer.bytes;
  size_t count = 0;
  size_t i = 0;
  while (i < limit) {
    // The block, and the trail of a lead in its last byte, lie in the source.
    if (i + BlockBytes < sourceLength) {
      const uint8_t* from = source + i;
      const uint64_t firsts = WholeBlockFirsts<Code>(from);
      if (firsts != WholeBlockRefused) {
        const size_t taken = BlockBytes + static_cast<size_t>(firsts >> 63);
        if (count + taken < ConvertChunkThreshold) {
          // Single bytes are copied with the block, then every character
          // that begins with a lead is written over its two bytes.
          std::memcpy(out + count, from, BlockBytes);
          if (PutLeadCharacters(out + count, from, firsts) && report != nullptr)
            ReportBlockLosses(report, offset + i, from, firsts);
          count += taken;
        } else {
          // A chunk ends in this block: character by character, as the bits
          // tell them. A single byte writes its pair too, which the next
          // character writes over.
          for (uint64_t starts = ~(firsts << 1); starts != 0; starts &= starts - 1) {
            const size_t at = static_cast<size_t>(std::countr_zero(starts));
            const uint16_t key = LoadPair(from + at);
            PutPair(out + count, PairOutput[key]);
            if (PairLoses[key] != 0 && report != nullptr) RecordLoss(report, offset + i + at, from + at, 2, false);
            count += 1 + static_cast<size_t>((firsts >> at) & 1);
            if (count >= ConvertChunkThreshold) {
              ConvertOutputBuffer.count = count;
              if (!WriteOutput(target)) return 1;
              count = 0;
            }
          }
        }
        i += taken;
        continue;
      }
    }
    const CharacterStep step = StepCharacter(Code::Code, source, i, sourceLength);
    if (step.kind == CharacterPair) {
      const uint16_t key = LoadPair(source + i);
      PutPair(out + count, PairOutput[key]);
      if (PairLoses[key] != 0 && report != nullptr) RecordLoss(report, offset + i, source + i, 2, false);
      count += 2;
    } else if (step.kind == CharacterFour) {
      out[count++] = tables.replacement[0];
      out[count++] = tables.replacement[1];
      if (report != nullptr) RecordLoss(report, offset + i, source + i, 4, false);
    } else {
      // A byte that is no character passes as it stands, and is counted.
      out[count++] = source[i];
      if (step.kind == CharacterInvalid && report != nullptr) RecordLoss(report, offset + i, source + i, 1, true);
    }
    i += step.length;
    if (count >= ConvertChunkThreshold) {
      ConvertOutputBuffer.count = count;
      if (!WriteOutput(target)) return 1;
      count = 0;
    }
  }
  ConvertOutputBuffer.count = count;
  if (count > 0 && !WriteOutput(target)) return 1;
  if (piece != nullptr) {
    piece->used = i;
    piece->offset += i;
  }
  return 0;
}

void Append(uint8_t b) { ConvertOutputBuffer.bytes[ConvertOutputBuffer.count++] = b; }

// HZ read into GB: the odd bytes the reading marks are counted at their
// place in the decoded text, which the piece's offset follows.
void ReportGbRun(SourcePiece* piece, const uint8_t* run, size_t n) {
  if (piece->report != nullptr) {
    for (const uint8_t* at = run; (at = static_cast<const uint8_t*>(std::memchr(at, LoneByteMark, run + n - at))); ++at)
      RecordLoss(piece->report, piece->offset + static_cast<uint64_t>(at - run), at, 1, true);
  }
  piece->offset += n;
}
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

const char* ConvertExtensionName(int mode, int toGb) {
  if (mode == ConvertModeBig5) return toGb == 0 ? "GBBIG5X.TBL" : "BIG5GBX.TBL";
  if (mode == ConvertModeSjis) return toGb == 0 ? "GBSJISX.TBL" : "SJISGBX.TBL";
  return nullptr;
}

size_t ConvertExtensionSize(int mode, int toGb) { return ConvertExtensionName(mode, toGb) ? 2 * GridCells : 0; }

void FillReplacement(int mode, int toGb, ConvertTables* tables) {
  // The full-width question mark of each target.
  const uint8_t* mark = toGb != 0 ? GbReplacement : mode == ConvertModeSjis ? SjisReplacement : Big5Replacement;
  tables->replacement[0] = mark[0];
  tables->replacement[1] = mark[1];
}

int ConvertGbBig5(ByteSink target, const ConvertTables& tables, const uint8_t* source, size_t sourceLength, int toGb,
                  SourcePiece* piece) {
  if (toGb == 0) return ConvertByTable<GbSource>(target, tables, source, sourceLength, piece);
  return ConvertByTable<Big5Source>(target, tables, source, sourceLength, piece);
}

int ConvertGbSjis(ByteSink target, const ConvertTables& tables, const uint8_t* source, size_t sourceLength, int toGb,
                  SourcePiece* piece) {
  if (toGb == 0) return ConvertByTable<GbSource>(target, tables, source, sourceLength, piece);
  return ConvertByTable<SjisSource>(target, tables, source, sourceLength, piece);
}

int ConvertGbToHz(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece) {
  bool gbMode = piece != nullptr && piece->gbMode;
  const size_t limit = PieceLimit(sourceLength, piece);
  ConvertReport* const report = piece != nullptr ? piece->report : nullptr;
  size_t i = 0;
  ConvertOutputBuffer.count = 0;
  while (i < limit) {
    const CharacterStep step = StepCharacter(CodeGb, source, i, sourceLength);
    if (step.kind == CharacterSingle) {
      if (gbMode) {
        Append('~');
        Append('}');
        gbMode = false;
      }
      Append(source[i]);
      if (source[i] == '~') Append('~');
    } else {
      // HZ carries GB 2312's rows only; anything else becomes GB's
      // replacement, the full-width question mark.
      const bool carried = step.kind == CharacterPair && source[i] >= 0xA1 && source[i + 1] >= 0xA1;
      if (!carried && report != nullptr)
        RecordLoss(report, piece->offset + i, source + i, step.length, step.kind == CharacterInvalid);
      if (!gbMode) {
        Append('~');
        Append('{');
        gbMode = true;
      }
      Append(static_cast<uint8_t>((carried ? source[i] : GbReplacement[0]) & 0x7F));
      Append(static_cast<uint8_t>((carried ? source[i + 1] : GbReplacement[1]) & 0x7F));
    }
    i += step.length;
    if (ConvertOutputBuffer.count >= ConvertChunkThreshold && !WriteOutput(target)) return 1;
  }
  if (ConvertOutputBuffer.count > 0 && !WriteOutput(target)) return 1;
  if (piece != nullptr) {
    piece->used = i;
    piece->gbMode = gbMode;
    piece->offset += i;
  }
  return 0;
}

int ConvertHzToGb(ByteSink target, const uint8_t* source, size_t sourceLength, SourcePiece* piece) {
  bool gbMode = piece != nullptr && piece->gbMode;
  const size_t limit = PieceLimit(sourceLength, piece);
  size_t i = 0;
  ConvertOutputBuffer.count = 0;
  // HZ is read as the viewer reads it. No step writes more bytes than it
  // reads, and a step that starts before a limit ends at most one byte past
  // it: so a buffer filled up to a limit that far away never runs past a
  // chunk by more than a character.
  while (i < limit) {
    const size_t room = ConvertChunkThreshold + 2 - ConvertOutputBuffer.count;
    const size_t stepLimit = limit - i > room ? i + room : limit;
    const size_t before = ConvertOutputBuffer.count;
    ConvertOutputBuffer.count += DecodeHzSteps(source, i, stepLimit, sourceLength,
                                               ConvertOutputBuffer.bytes + ConvertOutputBuffer.count, &gbMode, &i);
    if (piece != nullptr) ReportGbRun(piece, ConvertOutputBuffer.bytes + before, ConvertOutputBuffer.count - before);
    if (ConvertOutputBuffer.count >= ConvertChunkThreshold && !WriteOutput(target)) return 1;
  }
  if (ConvertOutputBuffer.count > 0 && !WriteOutput(target)) return 1;
  if (piece != nullptr) {
    piece->used = i;
    piece->gbMode = gbMode;
  }
  return 0;
}

size_t PieceLimit(size_t sourceLength, const SourcePiece* piece) {
  if (piece == nullptr || piece->last) return sourceLength;
  return sourceLength > LongestCharacter - 1 ? sourceLength - (LongestCharacter - 1) : 0;
}

uint64_t FirstBytesOfWholeBlock(int code, const uint8_t* block) {
  if (code == CodeBig5) return WholeBlockFirsts<Big5Source>(block);
  if (code == CodeShiftJis) return WholeBlockFirsts<SjisSource>(block);
  return WholeBlockFirsts<GbSource>(block);
}

void RecordLoss(ConvertReport* report, uint64_t offset, const uint8_t* bytes, size_t length, bool illFormed) {
  // A UTF-16 unit that is no character is two bytes of the source.
  if (illFormed)
    report->illFormed += length;
  else
    ++report->lost;
  ++report->places;
  if (report->recorded == ReportedLosses) return;
  LossRecord& record = report->first[report->recorded++];
  record.offset = offset;
  record.length = static_cast<uint8_t>(length < 4 ? length : 4);
  std::memcpy(record.bytes, bytes, record.length);
  record.illFormed = illFormed;
}
