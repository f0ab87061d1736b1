#include "document/hz_decode.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "document/code_rules.h"
#include "document/detect_code.h"

namespace {
// Copies count bytes with bit 7 set, eight at a time. A word is read whole
// before it is written, so out may lie at or before in.
void CopyWithBit7(uint8_t* out, const uint8_t* in, size_t count) {
  constexpr uint64_t Bit7 = 0x8080808080808080ull;
  size_t k = 0;
  for (; count - k >= 8; k += 8) {
    uint64_t word;
    std::memcpy(&word, in + k, 8);
    word |= Bit7;
    std::memcpy(out + k, &word, 8);
  }
  for (; k < count; ++k) out[k] = static_cast<uint8_t>(in[k] | 0x80);
}

// Where the next "~" (and in GB mode the next CR or LF) lies in
// in[from..n), or n. Most texts hold few, so the search takes 64 bytes a step
// (the system's own search is not as fast everywhere).
size_t FindStop(const uint8_t* in, size_t from, size_t n, bool lineEnds) {
  size_t p = from;
#ifdef __SSE2__
  const __m128i tilde = _mm_set1_epi8('~');
  const __m128i lf = _mm_set1_epi8(lineEnds ? '\n' : '~');
  const __m128i cr = _mm_set1_epi8(lineEnds ? '\r' : '~');
  for (; n - p >= 64; p += 64) {
    const __m128i* at = reinterpret_cast<const __m128i*>(in + p);
    __m128i hits = _mm_setzero_si128();
    for (int part = 0; part < 4; ++part) {
      const __m128i x = _mm_loadu_si128(at + part);
      hits = _mm_or_si128(
          hits, _mm_or_si128(_mm_cmpeq_epi8(x, tilde), _mm_or_si128(_mm_cmpeq_epi8(x, lf), _mm_cmpeq_epi8(x, cr))));
    }
    if (_mm_movemask_epi8(hits) != 0) break;
  }
#endif
  for (; p < n; ++p) {
    if (in[p] == '~' || (lineEnds && (in[p] == '\n' || in[p] == '\r'))) return p;
  }
  return n;
}

bool IsLineEnd(uint8_t b) { return b == '\n' || b == '\r'; }

// A "~" at in[i] that escapes: a mode change, a tilde, or a line's end.
bool IsEscape(const uint8_t* in, size_t i, size_t n) {
  if (i + 1 >= n || in[i] != '~') return false;
  const uint8_t next = in[i + 1];
  return next == '{' || next == '}' || next == '~' || IsLineEnd(next);
}
}  // namespace

size_t DecodeHzSteps(const uint8_t* in, size_t from, size_t limit, size_t n, uint8_t* out, bool* gbMode, size_t* next) {
  size_t written = 0;
  size_t i = from;
  while (i < limit) {
    size_t stop = FindStop(in, i, n, *gbMode);
    if (stop > limit) {
      // The steps that start before the limit: single bytes up to it, or
      // the pairs that start before it.
      const size_t end = *gbMode ? i + (limit - i + 1) / 2 * 2 : limit;
      if (end < stop) {
        if (*gbMode)
          CopyWithBit7(out + written, in + i, end - i);
        else if (out + written != in + i)
          std::memmove(out + written, in + i, end - i);
        written += end - i;
        i = end;
        break;
      }
    }
    if (*gbMode) {
      // Bytes come in pairs from the escape or the line end before them.
      if ((stop - i) % 2 != 0) {
        // The last first byte's second is the stop: a "~" that escapes
        // nothing is a trail (GB 0xFE); otherwise the first byte stands
        // alone, as one byte that is no character.
        if (stop < n && in[stop] == '~' &&
            !(stop + 1 < n && (in[stop + 1] == '{' || in[stop + 1] == '}' || IsLineEnd(in[stop + 1])))) {
          CopyWithBit7(out + written, in + i, stop + 1 - i);
          written += stop + 1 - i;
          i = stop + 1;
          continue;
        } else {
          CopyWithBit7(out + written, in + i, stop - i - 1);
          written += stop - i - 1;
          out[written++] = LoneByteMark;
          i = stop;
          continue;
        }
      }
      CopyWithBit7(out + written, in + i, stop - i);
    } else if (out + written != in + i) {
      std::memmove(out + written, in + i, stop - i);
    }
    written += stop - i;
    i = stop;
    if (i >= n || i >= limit) break;
    if (IsLineEnd(in[i])) {
      // A line end in GB mode is kept as written; pairs start afresh after it.
      out[written++] = in[i++];
    } else if (!IsEscape(in, i, n)) {
      // A "~" that escapes nothing: itself in plain text, a first byte in GB mode.
      if (!*gbMode) {
        out[written++] = '~';
        i += 1;
      } else if (i + 1 < n) {
        out[written++] = 0xFE;
        out[written++] = static_cast<uint8_t>(in[i + 1] | 0x80);
        i += 2;
      } else {
        out[written++] = LoneByteMark;
        i += 1;
      }
    } else if (in[i + 1] == '{' || in[i + 1] == '}') {
      *gbMode = in[i + 1] == '{';
      i += 2;
    } else if (in[i + 1] == '~') {
      // The tilde escape stands for "~" in either mode.
      out[written++] = '~';
      i += 2;
    } else {
      // "~" before a line end vanishes and ends GB mode; the line end stays.
      *gbMode = false;
      i += 1;
    }
  }
  *next = i;
  return written;
}

size_t DecodeHzBytes(const uint8_t* in, size_t n, uint8_t* out) {
  bool gbMode = false;
  size_t next = 0;
  return DecodeHzSteps(in, 0, n, n, out, &gbMode, &next);
}

bool HoldsHzEscape(const uint8_t* text, size_t n) {
  for (size_t at = FindStop(text, 0, n, false); at + 1 < n; at = FindStop(text, at + 1, n, false)) {
    if (text[at + 1] == '{') return true;
  }
  return false;
}

size_t DecodeHzText(uint8_t* text, size_t n) {
  // A Unicode text that happens to hold "~{" is no HZ.
  if (n == 0 || !HoldsHzEscape(text, n) || IsUnicodeCode(DetectTextCode(text, n))) return n;
  const size_t first = FindStop(text, 0, n, false);
  const size_t written = first + DecodeHzBytes(text + first, n - first, text + first);
  std::memset(text + written, 0, n - written);
  return written;
}
