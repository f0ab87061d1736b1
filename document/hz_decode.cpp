#include "document/hz_decode.h"

#include "document/document.h"
#include "shell/error_messages.h"

size_t DecodeHzBytes(const uint8_t* in, size_t n, uint8_t* out) {
  size_t written = 0;
  uint8_t highBit = 0;  // 0x80 while in GB mode
  // In GB mode bytes come in pairs and escapes stand only where a pair
  // starts: a second byte of 0x7E (GB trail 0xFE) is a character's half,
  // not a tilde, or "~{0~~}" would never leave GB mode.
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
        // "~" before a line end vanishes and ends GB mode; the line end stays.
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
        // The tilde escape stands whole, in either mode.
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

bool DecodeHz(WindowRef owner) {
  size_t n = Document.textLength;
  if (n == 0) return true;
  Block<uint8_t> out = AllocateZeroed<uint8_t>(n + 1);
  if (!out) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  size_t written = DecodeHzBytes(Document.text.get(), n, out.get());
  Document.text = std::move(out);
  Document.textSize = n + 1;
  Document.textLength = static_cast<uint32_t>(written);
  return true;
}
