// HZ, the seven-bit escape form of GB.
#pragma once

#include <cstddef>
#include <cstdint>

// What a first byte in GB mode becomes when no second byte follows it
// before an escape or a line end: one byte that is no character of GB, so
// that it takes nothing after it.
constexpr uint8_t LoneByteMark = 0xFF;

// Decodes in[0..n) into out, which has room for n bytes; returns the count
// written (never above n). The output never runs ahead of the input, so out
// may be in itself. "~{" and "~}" switch to GB mode and back, "~~" is "~",
// "~" before a line end vanishes and ends GB mode. In GB mode bytes pair up
// with bit 7 set; a line end is kept as it is and pairs start afresh after
// it.
size_t DecodeHzBytes(const uint8_t* in, size_t n, uint8_t* out);

// The same over the steps of in[0..n) that start at `from` and before `limit`
// (a step may read up to two bytes past it), in the mode *gbMode, which it
// leaves as the next step finds it; *next is where that step starts.
// Returns the count written.
size_t DecodeHzSteps(const uint8_t* in, size_t from, size_t limit, size_t n, uint8_t* out, bool* gbMode, size_t* next);

// True when text[0..n) holds "~{": only such a text is HZ.
bool HoldsHzEscape(const uint8_t* text, size_t n);

// Decodes text[0..n) in place when it is HZ, from its first "~" on (any
// other text is left as it is), and returns its new length; the bytes
// decoding frees become zeros.
size_t DecodeHzText(uint8_t* text, size_t n);
