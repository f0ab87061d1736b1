// HZ decoding, line breaking and code detection taken one byte at a time,
// as plainly as the rules can be said: what the fast forms must equal on
// every text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "document/document.h"

struct ReferenceIndex {
  std::vector<uint32_t> entries;  // 0, then the end of every display line
  int code = CodeGb;
};

inline ReferenceIndex IndexByteByByte(const uint8_t* text, size_t n, int width) {
  ReferenceIndex index;
  if (n > 0) index.entries.push_back(0);
  int col = 0;
  bool second = false;  // the next byte other than TAB, LF, CR and Ctrl-Z is a second byte
  size_t p = 0;
  for (; p < n && text[p] != 0x1A; ++p) {  // Ctrl-Z ends the text
    const uint8_t b = text[p];
    if (b == 0x09) {
      col = col - col % 8 + 8;
    } else if (b == 0x0A) {
      col = width;
    } else if (b != 0x0D && !second && b >= 0x80) {
      // A first byte: its character stays whole, so no break follows it.
      if (b <= 0xA0) index.code = CodeShiftJis;
      ++col;
      second = true;
      continue;
    } else {
      if (b != 0x0D && second && b >= 0x40 && b <= 0xA0 && index.code != CodeShiftJis) index.code = CodeBig5;
      if (b != 0x0D) second = false;
      ++col;
    }
    if (col >= width) {
      index.entries.push_back(static_cast<uint32_t>(p + 1));
      col = 0;
    }
  }
  if (col > 0) index.entries.push_back(static_cast<uint32_t>(p));
  return index;
}

// Decodes in[0..n) into out (room for n bytes); returns the count written.
inline size_t DecodeHzByteByByte(const uint8_t* in, size_t n, uint8_t* out) {
  size_t written = 0;
  uint8_t high = 0;  // 0x80 while in GB mode
  for (size_t i = 0; i < n; ++i) {
    const int next = i + 1 < n ? in[i + 1] : -1;
    if (in[i] == '~' && (next == '\n' || next == '\r')) {
      high = 0;  // the tilde vanishes, the line end stays
    } else if (in[i] == '~' && (next == '{' || next == '}')) {
      high = next == '{' ? 0x80 : 0;
      ++i;
    } else if (in[i] == '~' && next == '~') {
      out[written++] = static_cast<uint8_t>('~' | high);
      ++i;
    } else {
      out[written++] = static_cast<uint8_t>(in[i] | high);
      // In GB mode the byte after a first byte is its second, whatever it is.
      if (high != 0 && i + 1 < n) out[written++] = static_cast<uint8_t>(in[++i] | 0x80);
    }
  }
  return written;
}
