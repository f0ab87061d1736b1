// HZ, the seven-bit escape form of GB.
#pragma once

#include <cstddef>
#include <cstdint>

#include "shell/prompts.h"

// Decodes in[0..n) into out, which has room for n bytes; returns the count
// written (never above n).
size_t DecodeHzBytes(const uint8_t* in, size_t n, uint8_t* out);

// Decodes the document text in place of the text as read. On an allocation
// failure shows message 5, keeps the text undecoded and returns false.
bool DecodeHz(WindowRef owner);
