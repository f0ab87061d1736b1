// The bytes of one display line, as the view draws it and a job prints it.
#pragma once

#include <cstddef>
#include <cstdint>

struct DisplayLineBytes {
  const uint8_t* bytes = nullptr;
  int count = 0;
  size_t readable = 0;  // bytes that may be read from `bytes`, the 0 after the text included
};

// Display line `line`'s own bytes, or a single blank for a line the
// document does not have.
DisplayLineBytes DisplayLine(int line);
