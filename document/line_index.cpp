#include "document/line_index.h"

#include <bit>
#include <climits>

#include "base/error_messages.h"
#include "base/settings_values.h"
#include "document/byte_classes.h"
#include "document/code_rules.h"
#include "document/detect_code.h"
#include "document/document.h"
#include "document/unicode_tables.h"

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {
void DropIndex() {
  Document.LineIndex.reset();
  Document.lineIndexCapacity = 0;
  Document.lineCount = 0;
}

// The index storage. It grows at least twofold and at most sixteenfold,
// to what the lines so far promise for the whole text: one growth for most
// files, and never more copying than a few times the index itself.
struct IndexWriter {
  uint32_t* entries;
  size_t capacity;
  size_t count;       // entries written after entry 0: the line count
  size_t textLength;  // the bytes being indexed
};

bool GrowIndex(IndexWriter& writer, size_t scanned) {
  // Line numbers are signed 32-bit everywhere they are shown.
  constexpr size_t MostEntries = static_cast<size_t>(INT_MAX);
  if (writer.capacity >= MostEntries) return false;
  const double promised = static_cast<double>(writer.count) * static_cast<double>(writer.textLength) /
                          static_cast<double>(scanned > 0 ? scanned : 1);
  const double least = 2.0 * static_cast<double>(writer.capacity);
  const double most = 16.0 * static_cast<double>(writer.capacity);
  double wanted = 1.125 * promised + static_cast<double>(LineIndexFreeEntries);
  wanted = wanted < least ? least : wanted > most ? most : wanted;
  const size_t grown = wanted >= static_cast<double>(MostEntries) ? MostEntries : static_cast<size_t>(wanted);
  if (!GrowBlock(Document.LineIndex, grown)) return false;
  writer.entries = Document.LineIndex.get();
  writer.capacity = grown;
  Document.lineIndexCapacity = grown;
  return true;
}

// Adds the start of a display line; false when the index cannot grow.
bool AppendLineStart(IndexWriter& writer, uint32_t offset) {
  if (writer.count + 2 + LineIndexFreeEntries > writer.capacity && !GrowIndex(writer, offset)) return false;
  writer.entries[++writer.count] = offset;
  return true;
}

struct ByteRangeList {
  uint8_t first[8];
  uint8_t last[8];
  int count;
};

// The state of the scan between bytes.
struct ScanState {
  const uint8_t* text = nullptr;
  size_t n = 0;  // the bytes indexed
  uint32_t width = 0;
  uint32_t col = 0;      // cells taken on the current display line
  int code = CodeGb;     // CodeDetect until the first byte of 0x80 or above
  bool second = false;   // the next byte is the trail of a pair whose lead is counted
  size_t resume = 0;     // a four-byte character read before ran up to here
  size_t carried = 0;    // UTF-8: continuation bytes opening the next block, already counted
  bool stopped = false;  // a Ctrl-Z ended the text
  size_t end = 0;        // where the text ends for the index
  IndexWriter writer{};
  const uint8_t* unicodeBitmaps = nullptr;  // which characters are wide, for Unicode texts
  // UTF-8: the lead bytes of three whose every character is wide, as ranges;
  // for each lead of three, the second bytes (bit 0 for 0x80) whose 64
  // characters are all wide.
  ByteRangeList wideLeads{};
  uint64_t wideSeconds[16] = {};
};

// Detects the code at the first byte that needs one.
void SettleCode(ScanState& s, size_t at);

// Ends the display line before byte `next` when the line is full; false when
// the index cannot grow.
bool BreakIfFull(ScanState& s, size_t next) {
  if (s.col < s.width) return true;
  if (!AppendLineStart(s.writer, static_cast<uint32_t>(next))) return false;
  s.col = 0;
  return true;
}

// Ends the text at a Ctrl-Z at p.
void StopAt(ScanState& s, size_t p) {
  s.end = p;
  s.stopped = true;
}

// A UTF-8 text character by character over [from, to): a character takes
// the cells of its glyph, a byte that is no character one, and a wide one
// in the last cell stays whole as a pair does.
bool ScanUtf8Bytes(ScanState& s, size_t from, size_t to) {
  const uint8_t* text = s.text;
  const uint32_t width = s.width;
  uint32_t col = s.col;
  size_t p = from + s.carried;
  s.carried = 0;
  while (p < to) {
    const uint8_t b = text[p];
    if (b >= 0xE4 && b <= 0xE9 && p + 2 < s.n && IsContinuation(text[p + 1]) && IsContinuation(text[p + 2])) {
      // The hanzi and kanji of U+4000 to U+9FFF: wide, the common case.
      col += 2;
      p += 3;
    } else if (b >= 0x80) {
      const UnicodeStep step = StepUtf8(text, p, s.n);
      col += step.valid ? static_cast<uint32_t>(CellsWithBitmaps(s.unicodeBitmaps, step.codePoint)) : 1;
      p += step.length;
    } else if (b == 0x09) {
      col = col - col % 8 + 8;
      ++p;
    } else if (b == 0x0A) {
      col = width;
      ++p;
    } else if (b == 0x1A) {
      s.col = col;
      StopAt(s, p);
      return true;
    } else {
      ++col;
      ++p;
    }
    if (col >= width) {
      if (!AppendLineStart(s.writer, static_cast<uint32_t>(p))) return false;
      col = 0;
    }
  }
  s.col = col;
  // A character that runs into the next block leaves its continuation bytes
  // there, counted.
  s.carried = p - to;
  return true;
}

// A UTF-16 text, unit by unit: as UTF-8, with TAB, LF, CR and Ctrl-Z as
// units; a unit that is no character takes a cell a byte, as does an odd
// last byte.
bool ScanUtf16Text(ScanState& s) {
  const bool bigEndian = s.code == CodeUtf16Be;
  size_t p = 0;
  while (p < s.n) {
    const UnicodeStep step = StepUtf16(s.text, p, s.n, bigEndian);
    const char32_t c = step.codePoint;
    if (!step.valid) {
      s.col += step.length;
    } else if (c == 0x09) {
      s.col = s.col - s.col % 8 + 8;
    } else if (c == 0x0A) {
      s.col = s.width;
    } else if (c == 0x1A) {
      StopAt(s, p);
      return true;
    } else {
      s.col += static_cast<uint32_t>(CellsWithBitmaps(s.unicodeBitmaps, c));
    }
    p += step.length;
    if (!BreakIfFull(s, p)) return false;
  }
  return true;
}

// The rule itself, character by character over [from, to): used where a
// block of bytes cannot be taken whole. Every byte takes a cell, but a TAB
// runs to the next stop; a character stays whole on its line, so a pair in
// the last cell takes one more, and GB 18030's four bytes, which would reach
// further, start the next line instead. False when the index cannot grow.
bool ScanBytes(ScanState& s, size_t from, size_t to) {
  if (s.code == CodeUtf8) return ScanUtf8Bytes(s, from, to);
  size_t p = from;
  if (s.second) {
    s.second = false;
    ++s.col;
    ++p;
    if (!BreakIfFull(s, p)) return false;
  }
  while (p < to) {
    const uint8_t b = s.text[p];
    if (b == 0x09) {
      s.col = s.col - s.col % 8 + 8;
      ++p;
    } else if (b == 0x0A) {
      s.col = s.width;
      ++p;
    } else if (b == 0x1A) {
      StopAt(s, p);
      return true;
    } else if (b < 0x80) {
      ++s.col;
      ++p;
    } else {
      SettleCode(s, p);
      if (s.code == CodeUtf8) return ScanUtf8Bytes(s, p, to);
      const CharacterStep step = StepCharacter(s.code, s.text, p, s.n);
      if (step.kind == CharacterPair && p + 1 == to) {
        // The trail opens the next block, which counts it.
        ++s.col;
        s.second = true;
        return true;
      }
      if (step.kind == CharacterFour && s.col > 0 && s.col + step.length > s.width + 1) {
        if (!AppendLineStart(s.writer, static_cast<uint32_t>(p))) return false;
        s.col = 0;
      }
      s.col += step.length;
      p += step.length;
    }
    if (!BreakIfFull(s, p)) return false;
  }
  s.resume = p;
  return true;
}

struct ByteRange {
  uint8_t first;
  uint8_t last;  // an unused range has first above last
};

// The lead and trail bytes of each code as ranges that a block test can use.
struct CodeRanges {
  ByteRange leads[2];
  ByteRange trails[2];
};

constexpr CodeRanges RangesOf[3] = {{{{0x81, 0xFE}, {1, 0}}, {{0x40, 0x7E}, {0x80, 0xFE}}},
                                    {{{0x81, 0xFE}, {1, 0}}, {{0x40, 0x7E}, {0xA1, 0xFE}}},
                                    {{{0x81, 0x9F}, {0xE0, 0xFC}}, {{0x40, 0x7E}, {0x80, 0xFC}}}};

constexpr bool InRanges(const ByteRange (&ranges)[2], uint8_t b) {
  return (b >= ranges[0].first && b <= ranges[0].last) || (b >= ranges[1].first && b <= ranges[1].last);
}

constexpr bool RangesMatchTheRules() {
  for (int code = CodeGb; code <= CodeShiftJis; ++code) {
    for (unsigned b = 0; b < 256; ++b) {
      const uint8_t v = static_cast<uint8_t>(b);
      if (InRanges(RangesOf[code].leads, v) != IsLeadOf(code, v) ||
          InRanges(RangesOf[code].trails, v) != IsTrailOf(code, v))
        return false;
    }
  }
  return true;
}
static_assert(RangesMatchTheRules());

// Bit k stands for byte k of a block of 64.
struct BlockMasks {
  uint64_t special = 0;  // TAB, LF, CR, Ctrl-Z
  uint64_t lead = 0;     // lead bytes of the code
  uint64_t trail = 0;    // bytes that may follow a lead
};

#ifdef __SSE2__
// 0xFF where a byte of x lies in the range.
inline __m128i RangeBytes(__m128i x, ByteRange range) {
  if (range.first > range.last) return _mm_setzero_si128();
  // b - first <= last - first, unsigned: the range test in one compare.
  const __m128i shifted = _mm_sub_epi8(x, _mm_set1_epi8(static_cast<char>(range.first)));
  const __m128i span = _mm_set1_epi8(static_cast<char>(range.last - range.first));
  return _mm_cmpeq_epi8(_mm_min_epu8(shifted, span), shifted);
}

uint64_t Bits(__m128i bytes, int part) {
  return static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(bytes))) << (16 * part);
}
#endif

// The code's ranges are constants here, so that each test compiles to a few
// instructions.
template <int Code>
[[gnu::always_inline]] inline BlockMasks ClassifyBlock(const uint8_t* bytes) {
  constexpr CodeRanges ranges = RangesOf[Code];
  BlockMasks m;
#ifdef __SSE2__
  for (int part = 0; part < 4; ++part) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
    const __m128i special =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x09)), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x1A))),
                     _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x0A)), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x0D))));
    m.special |= Bits(special, part);
    m.lead |= Bits(_mm_or_si128(RangeBytes(x, ranges.leads[0]), RangeBytes(x, ranges.leads[1])), part);
    m.trail |= Bits(_mm_or_si128(RangeBytes(x, ranges.trails[0]), RangeBytes(x, ranges.trails[1])), part);
  }
#else
  for (size_t k = 0; k < BlockBytes; ++k) {
    const uint8_t b = bytes[k];
    const uint64_t bit = uint64_t{1} << k;
    if (b == 0x09 || b == 0x0A || b == 0x0D || b == 0x1A) m.special |= bit;
    if (InRanges(ranges.leads, b)) m.lead |= bit;
    if (InRanges(ranges.trails, b)) m.trail |= bit;
  }
#endif
  return m;
}

// Where the first byte of 0x80 and above lies in the block, or 64 for none;
// or for none before a Ctrl-Z, when it ends the text.
size_t FirstHighByte(const uint8_t* bytes, bool stopAtCtrlZ) {
#ifdef __SSE2__
  __m128i any = _mm_setzero_si128();
  for (int part = 0; part < 4; ++part)
    any = _mm_or_si128(any, _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part)));
  if (_mm_movemask_epi8(any) == 0) return BlockBytes;
#endif
  for (size_t k = 0; k < BlockBytes; ++k) {
    if (stopAtCtrlZ && bytes[k] == 0x1A) return BlockBytes;
    if (bytes[k] >= 0x80) return k;
  }
  return BlockBytes;
}

enum class BlockScan { Done, NeedsByteRule, IndexFull };

// A block of 64 bytes at `base` in which every lead has its trail (the
// common case): its cells are counted from one TAB, LF, CR or Ctrl-Z, or
// line break, to the next.
template <int Code>
BlockScan ScanBlock(ScanState& s, size_t base) {
  const BlockMasks m = ClassifyBlock<Code>(s.text + base);
  const uint64_t carry = s.second ? 1 : 0;
  const uint64_t firsts = FirstBytesOfBlock(m.lead, carry);
  const uint64_t seconds = (firsts << 1) | carry;
  // A lead without its trail, which a TAB, LF, CR and Ctrl-Z never are:
  // byte by byte. So is a lead whose trail opens the next block, unless
  // that byte is one.
  if ((seconds & ~m.trail) != 0) return BlockScan::NeedsByteRule;
  const size_t blockEnd = base + BlockBytes;
  if ((firsts >> 63) != 0 && (blockEnd >= s.n || !IsTrailOf(Code, s.text[blockEnd]))) return BlockScan::NeedsByteRule;

  size_t p = base;
  const uint32_t width = s.width;
  uint32_t col = s.col;
  if (col >= width) {
    // The block before ended in a lead in the last cell: the line ends after
    // its trail, the first byte here.
    if (!AppendLineStart(s.writer, static_cast<uint32_t>(base + 1))) return BlockScan::IndexFull;
    col = 0;
    p = base + 1;
  }
  uint64_t events = m.special;
  for (;;) {
    const size_t e = events != 0 ? base + static_cast<size_t>(std::countr_zero(events)) : blockEnd;
    // Bytes p to e - 1 take one cell each; a line fills at the byte that
    // takes its last cell, or after the trail when that is a lead.
    while (e - p >= width - col) {
      const size_t q = p + (width - col) - 1;
      if (((firsts >> (q - base)) & 1) == 0) {
        p = q + 1;
      } else if (q + 1 < blockEnd) {
        p = q + 2;
      } else {
        // The trail opens the next block.
        col = width;
        p = blockEnd;
        break;
      }
      if (!AppendLineStart(s.writer, static_cast<uint32_t>(p))) return BlockScan::IndexFull;
      col = 0;
    }
    col += static_cast<uint32_t>(e - p);
    if (e == blockEnd) break;
    const uint8_t b = s.text[e];
    if (b == 0x09) {
      col = col - col % 8 + 8;
    } else if (b == 0x0A) {
      col = width;
    } else if (b == 0x0D) {
      ++col;
    } else {
      s.end = e;
      s.stopped = true;
      break;
    }
    if (col >= width) {
      if (!AppendLineStart(s.writer, static_cast<uint32_t>(e + 1))) return BlockScan::IndexFull;
      col = 0;
    }
    p = e + 1;
    events &= events - 1;
  }
  s.col = col;
  s.second = (firsts >> 63) != 0;
  return BlockScan::Done;
}
// The second bytes of each lead of three whose 64 characters are all wide
// in the font, and the leads whose every second byte is so, as ranges; a
// second byte that makes no well-formed sequence (after 0xE0, an overlong
// form; after 0xED, a surrogate) is never one.
void FindWideForms(ScanState& s) {
  ByteRangeList list{};
  for (int lead = 0xE0; lead <= 0xEF; ++lead) {
    uint64_t seconds = 0;
    for (int second = 0x80; second <= 0xBF; ++second) {
      if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F)) continue;
      const char32_t first = static_cast<char32_t>((lead & 0x0F) << 12 | (second & 0x3F) << 6);
      bool wide = true;
      for (char32_t c = first; wide && c < first + 64; ++c) wide = CellsWithBitmaps(s.unicodeBitmaps, c) == 2;
      if (wide) seconds |= uint64_t{1} << (second & 0x3F);
    }
    s.wideSeconds[lead & 0x0F] = seconds;
    if (seconds != ~uint64_t{0}) continue;
    if (list.count > 0 && list.last[list.count - 1] + 1 == lead) {
      list.last[list.count - 1] = static_cast<uint8_t>(lead);
    } else {
      list.first[list.count] = list.last[list.count] = static_cast<uint8_t>(lead);
      ++list.count;
    }
  }
  s.wideLeads = list;
}

// Which bytes of a UTF-8 block are what: continuation bytes, leads of three
// whose characters are all wide, TAB, LF and Ctrl-Z, and any other byte of
// 0x80 and above.
struct Utf8Masks {
  uint64_t continuation = 0;
  uint64_t wideLead = 0;
  uint64_t event = 0;
  uint64_t otherHigh = 0;
};

Utf8Masks ClassifyUtf8Block(const uint8_t* bytes, const ByteRangeList& wideLeads) {
  Utf8Masks m;
#ifdef __SSE2__
  for (int part = 0; part < 4; ++part) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
    // Signed: 0x80 to 0xBF are the bytes below 0xC0.
    const __m128i continuation = _mm_cmplt_epi8(x, _mm_set1_epi8(static_cast<char>(0xC0)));
    __m128i wide = _mm_setzero_si128();
    for (int k = 0; k < wideLeads.count; ++k)
      wide = _mm_or_si128(wide, RangeBytes(x, {wideLeads.first[k], wideLeads.last[k]}));
    const __m128i event =
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x09)),
                     _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8(0x0A)), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x1A))));
    const uint64_t high = Bits(x, part), cont = Bits(continuation, part), lead = Bits(wide, part);
    m.continuation |= cont;
    m.wideLead |= lead;
    m.event |= Bits(event, part);
    m.otherHigh |= high & ~cont & ~lead;
  }
#else
  for (size_t k = 0; k < BlockBytes; ++k) {
    const uint8_t b = bytes[k];
    const uint64_t bit = uint64_t{1} << k;
    bool wide = false;
    for (int r = 0; r < wideLeads.count; ++r) wide = wide || (b >= wideLeads.first[r] && b <= wideLeads.last[r]);
    if (IsContinuation(b)) m.continuation |= bit;
    if (wide) m.wideLead |= bit;
    if (b == 0x09 || b == 0x0A || b == 0x1A) m.event |= bit;
    if (b >= 0x80 && !IsContinuation(b) && !wide) m.otherHigh |= bit;
  }
#endif
  return m;
}

// The set bits of each byte of x, each in its byte: the popcount
// instruction is not on every processor ZK runs on.
constexpr uint64_t BitsPerByte(uint64_t x) {
  x = x - ((x >> 1) & 0x5555555555555555ull);
  x = (x & 0x3333333333333333ull) + ((x >> 2) & 0x3333333333333333ull);
  return (x + (x >> 4)) & 0x0F0F0F0F0F0F0F0Full;
}

// Weights 1 at the bits of `weighed` and 1 more at those of `doubled` (a
// part of it): their sum, and the first bit at which the sum from bit 0
// reaches `need` (64 when it never does).
struct Reach {
  uint32_t total;
  int bit;
};

Reach FindReach(uint64_t weighed, uint64_t doubled, uint32_t need) {
  // Byte i of the product is the weight of bytes 0 to i: at most 128 in all.
  const uint64_t upTo = (BitsPerByte(weighed) + BitsPerByte(doubled)) * 0x0101010101010101ull;
  const uint32_t total = static_cast<uint32_t>(upTo >> 56);
  if (total < need) return {total, 64};
  int byte = 0;
  while (((upTo >> (8 * byte)) & 0xFF) < need) ++byte;
  uint32_t sum = byte == 0 ? 0 : static_cast<uint32_t>((upTo >> (8 * (byte - 1))) & 0xFF);
  int bit = 8 * byte;
  for (;; ++bit) {
    sum += static_cast<uint32_t>(((weighed >> bit) & 1) + ((doubled >> bit) & 1));
    if (sum >= need) return {total, bit};
  }
}

// A UTF-8 block of ASCII and wide characters of three bytes, the common
// case of Chinese and Japanese text: a single byte takes a cell, a wide
// character two (counted at its lead), a continuation byte none; its cells
// are counted from one TAB, LF or Ctrl-Z, or line break, to the next, and a
// line that fills inside a character ends after it.
BlockScan ScanUtf8Block(ScanState& s, size_t base) {
  const uint8_t* bytes = s.text + base;
  Utf8Masks m = ClassifyUtf8Block(bytes, s.wideLeads);
  // A lead of three whose second byte begins 64 wide characters, as most of
  // the punctuation of Chinese and Japanese text does.
  for (uint64_t other = m.otherHigh; other != 0; other &= other - 1) {
    const int k = std::countr_zero(other);
    const uint8_t lead = bytes[k];
    if (lead < 0xE0 || lead > 0xEF || base + static_cast<size_t>(k) + 1 >= s.n) return BlockScan::NeedsByteRule;
    const uint8_t second = s.text[base + static_cast<size_t>(k) + 1];
    if (!IsContinuation(second) || ((s.wideSeconds[lead & 0x0F] >> (second & 0x3F)) & 1) == 0)
      return BlockScan::NeedsByteRule;
    m.wideLead |= uint64_t{1} << k;
  }
  const uint64_t carried = (uint64_t{1} << s.carried) - 1;
  if (m.continuation != ((m.wideLead << 1) | (m.wideLead << 2) | carried)) return BlockScan::NeedsByteRule;
  // A character that runs into the next block: its continuation bytes are there.
  const size_t blockEnd = base + BlockBytes;
  const size_t runsOver = (m.wideLead >> 63) != 0 ? 2 : (m.wideLead >> 62) != 0 ? 1 : 0;
  for (size_t k = 0; k < runsOver; ++k) {
    if (blockEnd + k >= s.n || !IsContinuation(s.text[blockEnd + k])) return BlockScan::NeedsByteRule;
  }
  const uint64_t weighed = ~m.continuation & ~m.event;
  // The bits from p on; none from 64.
  const auto from = [](int p) { return p >= 64 ? uint64_t{0} : ~uint64_t{0} << p; };
  uint32_t col = s.col;
  int p = static_cast<int>(s.carried);
  uint64_t events = m.event;
  for (;;) {
    const int e = events != 0 ? std::countr_zero(events) : 64;
    const uint64_t segment = e == 64 ? ~uint64_t{0} : (uint64_t{1} << e) - 1;
    // Lines that fill in this segment.
    for (;;) {
      const uint64_t active = segment & from(p);
      const Reach reach = FindReach(weighed & active, m.wideLead & active, s.width - col);
      if (reach.bit >= e) {
        col += reach.total;
        break;
      }
      p = reach.bit + 1 + (((m.wideLead >> reach.bit) & 1) != 0 ? 2 : 0);
      if (!AppendLineStart(s.writer, static_cast<uint32_t>(base + static_cast<size_t>(p)))) return BlockScan::IndexFull;
      col = 0;
    }
    if (e == 64) break;
    const uint8_t b = bytes[e];
    if (b == 0x1A) {
      s.col = col;
      StopAt(s, base + static_cast<size_t>(e));
      return BlockScan::Done;
    }
    col = b == 0x09 ? col - col % 8 + 8 : s.width;
    if (col >= s.width) {
      if (!AppendLineStart(s.writer, static_cast<uint32_t>(base + static_cast<size_t>(e) + 1)))
        return BlockScan::IndexFull;
      col = 0;
    }
    p = e + 1;
    events &= events - 1;
  }
  s.col = col;
  s.carried = runsOver;
  return BlockScan::Done;
}

// Detects the code at the block's first byte of 0x80 or above, unless a
// Ctrl-Z ends the text before it, and scans the block by the code's rule.
BlockScan ScanBlockIn(ScanState& s, size_t base) {
  if (s.code == CodeDetect) {
    const size_t firstHigh = FirstHighByte(s.text + base, true);
    if (firstHigh < BlockBytes) SettleCode(s, base + firstHigh);
  }
  if (s.code == CodeBig5) return ScanBlock<CodeBig5>(s, base);
  if (s.code == CodeShiftJis) return ScanBlock<CodeShiftJis>(s, base);
  if (s.code == CodeUtf8) return ScanUtf8Block(s, base);
  return ScanBlock<CodeGb>(s, base);
}
void SettleCode(ScanState& s, size_t at) {
  if (s.code != CodeDetect) return;
  // The first byte of 0x80 or above follows ASCII: a character starts there.
  s.code = DetectCode(s.text + at, s.n - at, true);
  if (IsUnicodeCode(s.code)) {
    s.unicodeBitmaps = UnicodeFontBitmaps();
    FindWideForms(s);
  }
}

// The text 64 bytes at a time where a block can be taken whole, else by the
// byte rule; then the bytes after the last whole block.
bool ScanByBlocks(ScanState& s) {
  bool ok = true;
  size_t base = 0;
  for (; ok && !s.stopped && s.n - base >= BlockBytes; base += BlockBytes) {
    if (s.resume > base) {
      ok = ScanBytes(s, s.resume, base + BlockBytes);
      continue;
    }
    const BlockScan scan = ScanBlockIn(s, base);
    ok = scan == BlockScan::Done || (scan == BlockScan::NeedsByteRule && ScanBytes(s, base, base + BlockBytes));
  }
  if (ok && !s.stopped) ok = ScanBytes(s, s.resume > base ? s.resume : base, s.n);
  return ok;
}
}  // namespace

bool BuildLineIndex(WindowRef owner, uint32_t n, int* code) {
  Document.lineCount = 0;
  // The text keeps one byte after the indexed ones, so n stays below textSize.
  if (Document.textSize == 0)
    n = 0;
  else if (n > Document.textSize - 1)
    n = static_cast<uint32_t>(Document.textSize - 1);
  Document.textLength = n;
  if (n == 0) {
    if (*code == CodeDetect) *code = CodeGb;
    return true;
  }

  DropIndex();
  Document.LineIndex = AllocateZeroed<uint32_t>(LineIndexStep);
  if (!Document.LineIndex) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  Document.lineIndexCapacity = LineIndexStep;
  Document.LineIndex[0] = 0;

  ScanState s;
  s.text = Document.text.get();
  s.n = n;
  s.code = *code;
  s.width = static_cast<uint32_t>(ClampCharsPerLine(Settings.charsPerLine));
  s.end = n;
  s.writer = IndexWriter{Document.LineIndex.get(), LineIndexStep, 0, n};
  // A byte-order mark names the code before anything else does.
  if (const int marked = CodeOfByteOrderMark(s.text, n); s.code == CodeDetect && marked >= 0) s.code = marked;
  if (IsUnicodeCode(s.code)) {
    s.unicodeBitmaps = UnicodeFontBitmaps();
    FindWideForms(s);
  }
  bool ok = IsUtf16Code(s.code) ? ScanUtf16Text(s) : ScanByBlocks(s);
  if (ok && s.col > 0) ok = AppendLineStart(s.writer, static_cast<uint32_t>(s.end));
  if (!ok) {
    DropIndex();
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  Document.lineCount = static_cast<int32_t>(s.writer.count);
  *code = s.code == CodeDetect ? CodeGb : s.code;
  return true;
}
