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
  if (n == 0) return index;
  index.entries.push_back(0);
  int col = 0;
  bool secondByte = false;
  size_t end = n;
  for (size_t p = 0; p < n; ++p) {
    uint8_t b = text[p];
    if (b == 0x09) {
      col = col - col % 8 + 8;
    } else if (b == 0x0A) {
      col = width;
    } else if (b == 0x0D) {
      ++col;
    } else if (b == 0x1A) {
      end = p;
      break;
    } else if (secondByte) {
      if (b >= 0x40 && b <= 0xA0 && index.code != CodeShiftJis) index.code = CodeBig5;
      ++col;
      secondByte = false;
    } else if (b <= 0x7F) {
      ++col;
    } else {
      if (b <= 0xA0) index.code = CodeShiftJis;
      ++col;
      secondByte = true;
      continue;
    }
    if (col >= width) {
      index.entries.push_back(static_cast<uint32_t>(p + 1));
      col = 0;
    }
  }
  if (col > 0) index.entries.push_back(static_cast<uint32_t>(end));
  return index;
}

// Decodes in[0..n) into out (room for n bytes); returns the count written.
inline size_t DecodeHzByteByByte(const uint8_t* in, size_t n, uint8_t* out) {
  size_t written = 0;
  uint8_t highBit = 0;  // 0x80 while in GB mode
  bool secondOfPair = false;
  size_t i = 0;
  while (i < n) {
    if (secondOfPair) {
      out[written++] = static_cast<uint8_t>(in[i] | 0x80);
      ++i;
      secondOfPair = false;
      continue;
    }
    if (in[i] == '~' && i + 1 < n) {
      uint8_t next = in[i + 1];
      if (next == '\n' || next == '\r') {
        highBit = 0;
        ++i;
        continue;
      }
      if (next == '{' || next == '}') {
        highBit = next == '{' ? 0x80 : 0;
        i += 2;
        continue;
      }
      if (next == '~') {
        out[written++] = static_cast<uint8_t>('~' | highBit);
        i += 2;
        continue;
      }
    }
    out[written++] = static_cast<uint8_t>(in[i] | highBit);
    ++i;
    secondOfPair = highBit != 0;
  }
  return written;
}
