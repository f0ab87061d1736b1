// HZ, the seven-bit escape form of GB.
#pragma once

#include <cstddef>
#include <cstdint>

// Decodes in[0..n) into out, which has room for n bytes; returns the count
// written (never above n). The output never runs ahead of the input, so out
// may be in itself.
size_t DecodeHzBytes(const uint8_t* in, size_t n, uint8_t* out);

// Decodes the document text in place, from its first "~" on (a text
// without one is left as it is); the bytes decoding frees become zeros.
void DecodeHz();
