#include "document/hz_decode.h"

#include "document/document.h"
#include "shell/error_messages.h"

size_t DecodeHzBytes(const uint8_t* in, size_t n, uint8_t* out) {
  size_t written = 0;
  uint8_t highBit = 0;  // 0x80 while in GB mode
  size_t i = 0;
  while (i < n) {
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
        out[written++] = static_cast<uint8_t>('~' | highBit);
        i += 2;
        continue;
      }
    }
    out[written++] = static_cast<uint8_t>(in[i] | highBit);
    ++i;
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
