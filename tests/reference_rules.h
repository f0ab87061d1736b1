// HZ decoding and line breaking taken one byte at a time, as plainly as the
// rules can be said: what the fast forms must equal on every text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/document.h"
#include "document/unicode_tables.h"

// A Unicode character by the letter of UTF-8 and UTF-16: its length, and its
// code point, or -1 when the bytes are no character (then one byte in UTF-8,
// a unit in UTF-16, or an odd last byte).
struct CharacterByRule {
  size_t length;
  long codePoint;
};

inline CharacterByRule Utf8ByRule(const uint8_t* text, size_t p, size_t n) {
  auto in = [](int b, int low, int high) { return b >= low && b <= high; };
  const int b = text[p];
  if (b < 0x80) return {1, b};
  // The lead's length, and the range its second byte must lie in.
  int length = 0, low = 0x80, high = 0xBF;
  if (in(b, 0xC2, 0xDF)) length = 2;
  if (in(b, 0xE0, 0xEF)) length = 3, low = b == 0xE0 ? 0xA0 : 0x80, high = b == 0xED ? 0x9F : 0xBF;
  if (in(b, 0xF0, 0xF4)) length = 4, low = b == 0xF0 ? 0x90 : 0x80, high = b == 0xF4 ? 0x8F : 0xBF;
  if (length == 0 || p + length > n || !in(text[p + 1], low, high)) return {1, -1};
  long c = b & (0xFF >> (length + 1));
  for (int k = 1; k < length; ++k) {
    if (!in(text[p + k], 0x80, 0xBF)) return {1, -1};
    c = c << 6 | (text[p + k] & 0x3F);
  }
  return {static_cast<size_t>(length), c};
}

inline CharacterByRule Utf16ByRule(const uint8_t* text, size_t p, size_t n, bool bigEndian) {
  auto unit = [&](size_t at) { return bigEndian ? text[at] << 8 | text[at + 1] : text[at + 1] << 8 | text[at]; };
  if (p + 1 >= n) return {1, -1};
  const long first = unit(p);
  if (first < 0xD800 || first > 0xDFFF) return {2, first};
  if (first >= 0xDC00 || p + 3 >= n || unit(p + 2) < 0xDC00 || unit(p + 2) > 0xDFFF) return {2, -1};
  return {4, 0x10000 + ((first - 0xD800) << 10) + (unit(p + 2) - 0xDC00)};
}

// How many bytes the character at text[p] takes in `code`: a lead and its
// trail, GB 18030's four bytes, or one byte (a single byte, or a byte that is
// no character).
inline size_t CharacterLengthByRule(int code, const uint8_t* text, size_t p, size_t n) {
  auto in = [](int b, int low, int high) { return b >= low && b <= high; };
  const int b = text[p], next = p + 1 < n ? text[p + 1] : -1;
  if (b < 0x80) return 1;
  if (code == CodeShiftJis) {
    const bool lead = in(b, 0x81, 0x9F) || in(b, 0xE0, 0xFC);
    return lead && in(next, 0x40, 0xFC) && next != 0x7F ? 2 : 1;
  }
  if (b == 0x80 || b == 0xFF) return 1;
  if (code == CodeBig5) return in(next, 0x40, 0x7E) || in(next, 0xA1, 0xFE) ? 2 : 1;
  if (in(next, 0x40, 0xFE) && next != 0x7F) return 2;
  const bool four = in(next, 0x30, 0x39) && p + 3 < n && in(text[p + 2], 0x81, 0xFE) && in(text[p + 3], 0x30, 0x39);
  return four ? 4 : 1;
}

// Display line starts in a Unicode text: a character takes its cells (the
// font's, through UnicodeCells), a byte that is no character one.
inline std::vector<uint32_t> IndexUnicodeByRule(const uint8_t* text, size_t n, int width, int code) {
  std::vector<uint32_t> entries;
  if (n > 0) entries.push_back(0);
  int col = 0;
  size_t p = 0;
  while (p < n) {
    const CharacterByRule c = code == CodeUtf8 ? Utf8ByRule(text, p, n) : Utf16ByRule(text, p, n, code == CodeUtf16Be);
    if (c.codePoint == 0x1A) break;  // Ctrl-Z ends the text
    if (c.codePoint == 0x09)
      col = col - col % 8 + 8;
    else if (c.codePoint == 0x0A)
      col = width;
    else
      col += c.codePoint < 0 ? static_cast<int>(c.length) : UnicodeCells(static_cast<char32_t>(c.codePoint));
    p += c.length;
    if (col >= width) {
      entries.push_back(static_cast<uint32_t>(p));
      col = 0;
    }
  }
  if (col > 0) entries.push_back(static_cast<uint32_t>(p));
  return entries;
}

// Display line starts: 0, then the end of every display line.
inline std::vector<uint32_t> IndexByteByByte(const uint8_t* text, size_t n, int width, int code) {
  if (IsUnicodeCode(code)) return IndexUnicodeByRule(text, n, width, code);
  std::vector<uint32_t> entries;
  if (n > 0) entries.push_back(0);
  int col = 0;
  size_t p = 0;
  while (p < n && text[p] != 0x1A) {  // Ctrl-Z ends the text
    const uint8_t b = text[p];
    if (b == 0x09) {
      col = col - col % 8 + 8;
      ++p;
    } else if (b == 0x0A) {
      col = width;
      ++p;
    } else {
      // A character stays whole: a pair may take the cell after the last,
      // GB 18030's four bytes start a new line rather than reach further.
      const size_t length = CharacterLengthByRule(code, text, p, n);
      if (length == 4 && col > 0 && col + 4 > width + 1) {
        entries.push_back(static_cast<uint32_t>(p));
        col = 0;
      }
      col += static_cast<int>(length);
      p += length;
    }
    if (col >= width) {
      entries.push_back(static_cast<uint32_t>(p));
      col = 0;
    }
  }
  if (col > 0) entries.push_back(static_cast<uint32_t>(p));
  return entries;
}

// Decodes in[0..n) into out (room for n bytes); returns the count written.
inline size_t DecodeHzByteByByte(const uint8_t* in, size_t n, uint8_t* out) {
  size_t written = 0;
  bool gbMode = false;
  for (size_t i = 0; i < n;) {
    const int c = in[i], next = i + 1 < n ? in[i + 1] : -1;
    if (c == '~' && (next == '\n' || next == '\r')) {
      gbMode = false;  // the tilde vanishes, the line end stays
      i += 1;
    } else if (c == '~' && (next == '{' || next == '}')) {
      gbMode = next == '{';
      i += 2;
    } else if (c == '~' && next == '~') {
      out[written++] = '~';
      i += 2;
    } else if (!gbMode || c == '\n' || c == '\r') {
      out[written++] = static_cast<uint8_t>(c);  // in GB mode a line end, after which pairs start afresh
      i += 1;
    } else {
      // A first byte; it stands alone before a line end, an escape or the end.
      const int after = i + 2 < n ? in[i + 2] : -1;
      const bool escapeNext = next == '~' && (after == '{' || after == '}' || after == '\n' || after == '\r');
      if (next == -1 || next == '\n' || next == '\r' || escapeNext) {
        out[written++] = 0xFF;
        i += 1;
      } else {
        out[written++] = static_cast<uint8_t>(c | 0x80);
        out[written++] = static_cast<uint8_t>(next | 0x80);
        i += 2;
      }
    }
  }
  return written;
}
