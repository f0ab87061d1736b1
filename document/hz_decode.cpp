#include "document/hz_decode.h"

#include <cstring>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "document/document.h"

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

// Where the next "~" lies in in[from..n), or n. Most texts hold none, so
// the search takes 64 bytes a step (the system's own search is not as
// fast everywhere).
size_t FindTilde(const uint8_t* in, size_t from, size_t n) {
  size_t p = from;
#ifdef __SSE2__
  const __m128i tilde = _mm_set1_epi8('~');
  for (; n - p >= 64; p += 64) {
    const __m128i* at = reinterpret_cast<const __m128i*>(in + p);
    __m128i hits = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(_mm_loadu_si128(at), tilde), _mm_cmpeq_epi8(_mm_loadu_si128(at + 1), tilde)),
        _mm_or_si128(_mm_cmpeq_epi8(_mm_loadu_si128(at + 2), tilde), _mm_cmpeq_epi8(_mm_loadu_si128(at + 3), tilde)));
    if (_mm_movemask_epi8(hits) != 0) break;
  }
#endif
  for (; p < n; ++p) {
    if (in[p] == '~') return p;
  }
  return n;
}
}  // namespace

size_t DecodeHzBytes(const uint8_t* in, size_t n, uint8_t* out) {
  size_t written = 0;
  size_t i = 0;
  bool gbMode = false;
  while (i < n) {
    size_t tilde = FindTilde(in, i, n);
    if (gbMode) {
      // In GB mode bytes come in pairs and escapes stand only where a pair
      // starts: a second byte of 0x7E (GB trail 0xFE) is a character's half,
      // not a tilde, or "~{0~~}" would never leave GB mode.
      while (tilde < n && (tilde - i) % 2 != 0) tilde = FindTilde(in, tilde + 1, n);
      CopyWithBit7(out + written, in + i, tilde - i);
    } else if (out + written != in + i) {
      std::memmove(out + written, in + i, tilde - i);
    }
    written += tilde - i;
    i = tilde;
    if (i == n) break;
    const uint8_t next = i + 1 < n ? in[i + 1] : 0;
    if (next == '\n' || next == '\r') {
      // "~" before a line end vanishes and ends GB mode; the line end stays.
      gbMode = false;
      i += 1;
    } else if (next == '{' || next == '}') {
      gbMode = next == '{';
      i += 2;
    } else if (next == '~') {
      // The tilde escape stands whole, in either mode.
      out[written++] = static_cast<uint8_t>(gbMode ? 0xFE : '~');
      i += 2;
    } else if (!gbMode) {
      out[written++] = '~';
      i += 1;
    } else {
      // A tilde that starts no escape is the first byte of a pair.
      out[written++] = 0xFE;
      i += 1;
      if (i < n) out[written++] = static_cast<uint8_t>(in[i++] | 0x80);
    }
  }
  return written;
}

void DecodeHz() {
  const size_t n = Document.textLength;
  uint8_t* text = Document.text.get();
  if (n == 0) return;
  const size_t first = FindTilde(text, 0, n);
  if (first == n) return;
  const size_t written = first + DecodeHzBytes(text + first, n - first, text + first);
  std::memset(text + written, 0, n - written);
  Document.textLength = static_cast<uint32_t>(written);
}
