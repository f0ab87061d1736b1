#include "document/line_index.h"

#include <bit>
#include <climits>

#include "document/byte_classes.h"
#include "document/document.h"
#include "shell/error_messages.h"
#include "shell/settings_values.h"
#include "shell/view_state.h"

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

// The state of the scan between bytes.
struct ScanState {
  const uint8_t* text = nullptr;
  uint32_t width = 0;
  uint32_t col = 0;     // cells taken on the current display line
  bool second = false;  // the next byte other than TAB, LF, CR, Ctrl-Z is a second byte
  bool shiftJis = false;
  bool big5 = false;
  bool stopped = false;  // a Ctrl-Z ended the text
  size_t end = 0;        // where the text ends for the index
  IndexWriter writer{};
};

// The rule itself, byte by byte over [from, to): used where a block of
// bytes cannot be taken whole. False when the index cannot grow.
bool ScanBytes(ScanState& s, size_t from, size_t to) {
  for (size_t p = from; p < to; ++p) {
    const uint8_t b = s.text[p];
    if (b == 0x09) {
      s.col = s.col - s.col % 8 + 8;
    } else if (b == 0x0A) {
      s.col = s.width;
    } else if (b == 0x0D) {
      ++s.col;
    } else if (b == 0x1A) {
      s.end = p;
      s.stopped = true;
      return true;
    } else if (s.second) {
      if (b >= 0x40 && b <= 0xA0) s.big5 = true;
      ++s.col;
      s.second = false;
    } else if (b < 0x80) {
      ++s.col;
    } else {
      // A first byte: its character stays whole, so no break follows it.
      if (b <= 0xA0) s.shiftJis = true;
      ++s.col;
      s.second = true;
      continue;
    }
    if (s.col >= s.width) {
      if (!AppendLineStart(s.writer, static_cast<uint32_t>(p + 1))) return false;
      s.col = 0;
    }
  }
  return true;
}

// Bit k stands for byte k of a block of 64.
struct BlockMasks {
  uint64_t high = 0;          // 0x80 and above
  uint64_t special = 0;       // TAB, LF, CR, Ctrl-Z
  uint64_t shiftJisLead = 0;  // 0x80 to 0xA0
  uint64_t big5Trail = 0;     // 0x40 to 0xA0
};

BlockMasks ClassifyBlock(const uint8_t* bytes) {
  BlockMasks m;
#ifdef __SSE2__
  const __m128i tab = _mm_set1_epi8(0x09);
  const __m128i lf = _mm_set1_epi8(0x0A);
  const __m128i cr = _mm_set1_epi8(0x0D);
  const __m128i eof = _mm_set1_epi8(0x1A);
  // Signed compares: 0x80 to 0xA0 are the bytes below (int8_t)0xA1.
  const __m128i belowA1 = _mm_set1_epi8(static_cast<char>(0xA1));
  const __m128i above3F = _mm_set1_epi8(0x3F);
  for (int part = 0; part < 4; ++part) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(bytes + 16 * part));
    const __m128i special = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(x, tab), _mm_cmpeq_epi8(x, lf)),
                                         _mm_or_si128(_mm_cmpeq_epi8(x, cr), _mm_cmpeq_epi8(x, eof)));
    const __m128i lead = _mm_cmplt_epi8(x, belowA1);
    const __m128i trail = _mm_or_si128(_mm_cmpgt_epi8(x, above3F), lead);
    const int shift = 16 * part;
    m.high |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(x))) << shift;
    m.special |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(special))) << shift;
    m.shiftJisLead |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(lead))) << shift;
    m.big5Trail |= static_cast<uint64_t>(static_cast<uint16_t>(_mm_movemask_epi8(trail))) << shift;
  }
#else
  for (size_t k = 0; k < BlockBytes; ++k) {
    const uint8_t b = bytes[k];
    const uint64_t bit = uint64_t{1} << k;
    if (b >= 0x80) m.high |= bit;
    if (b == 0x09 || b == 0x0A || b == 0x0D || b == 0x1A) m.special |= bit;
    if (b >= 0x80 && b <= 0xA0) m.shiftJisLead |= bit;
    if (b >= 0x40 && b <= 0xA0) m.big5Trail |= bit;
  }
#endif
  return m;
}

enum class BlockScan { Done, NeedsByteRule, IndexFull };

// A block of 64 bytes at `base` whose TAB, LF, CR and Ctrl-Z all stand where
// no second byte is awaited (the common case): its cells are counted from
// one such byte or line break to the next.
BlockScan ScanBlock(ScanState& s, size_t base) {
  const BlockMasks m = ClassifyBlock(s.text + base);
  const uint64_t carry = s.second ? 1 : 0;
  const uint64_t firsts = FirstBytesOfBlock(m.high, carry);
  const uint64_t seconds = (firsts << 1) | carry;
  // TAB, LF, CR and Ctrl-Z keep the pairing across them: bytes-by-byte.
  if ((seconds & m.special) != 0) return BlockScan::NeedsByteRule;

  const size_t blockEnd = base + BlockBytes;
  size_t p = base;
  const uint32_t width = s.width;
  uint32_t col = s.col;
  if (col >= width) {
    // The block before ended in a first byte in the last cell: the line
    // ends after its second byte, the first byte here.
    if (!AppendLineStart(s.writer, static_cast<uint32_t>(base + 1))) return BlockScan::IndexFull;
    col = 0;
    p = base + 1;
  }
  uint64_t events = m.special;
  uint64_t valid = ~uint64_t{0};  // the bytes before a Ctrl-Z
  for (;;) {
    const size_t e = events != 0 ? base + static_cast<size_t>(std::countr_zero(events)) : blockEnd;
    // Bytes p to e - 1 take one cell each; a line fills at the byte that
    // takes its last cell, or after the second byte when that is a first.
    while (e - p >= width - col) {
      const size_t q = p + (width - col) - 1;
      if (((firsts >> (q - base)) & 1) == 0) {
        p = q + 1;
      } else if (q + 1 < blockEnd) {
        p = q + 2;
      } else {
        // The second byte opens the next block.
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
      valid = (uint64_t{1} << (e - base)) - 1;
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
  if ((firsts & m.shiftJisLead & valid) != 0) s.shiftJis = true;
  if ((seconds & m.big5Trail & valid) != 0) s.big5 = true;
  return BlockScan::Done;
}
}  // namespace

bool BuildLineIndex(WindowRef owner, uint32_t n) {
  ViewState.firstLine = 0;
  Document.lineCount = 0;
  // The text keeps one byte after the indexed ones, so n stays below textSize.
  if (Document.textSize == 0)
    n = 0;
  else if (n > Document.textSize - 1)
    n = static_cast<uint32_t>(Document.textSize - 1);
  Document.textLength = n;
  if (n == 0) return true;

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
  s.width = static_cast<uint32_t>(ClampCharsPerLine(Settings.charsPerLine));
  s.end = n;
  s.writer = IndexWriter{Document.LineIndex.get(), LineIndexStep, 0, n};
  bool ok = true;
  size_t base = 0;
  for (; ok && !s.stopped && n - base >= BlockBytes; base += BlockBytes) {
    const BlockScan scan = ScanBlock(s, base);
    ok = scan == BlockScan::Done || (scan == BlockScan::NeedsByteRule && ScanBytes(s, base, base + BlockBytes));
  }
  if (ok && !s.stopped) ok = ScanBytes(s, base, n);
  if (ok && s.col > 0) ok = AppendLineStart(s.writer, static_cast<uint32_t>(s.end));
  if (!ok) {
    DropIndex();
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  Document.lineCount = static_cast<int32_t>(s.writer.count);
  CodeType = s.shiftJis ? CodeShiftJis : s.big5 ? CodeBig5 : CodeGb;
  return true;
}
