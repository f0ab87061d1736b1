// Characters of the legacy codes as Unicode code points and back, through
// the tables beside the program, and UTF-8 written out.
#pragma once

#include <cstddef>
#include <cstdint>

#include "document/code_rules.h"

// The code points a character stands for: one, or two for the few of the
// Hong Kong additions that are a letter and its accent; none when the bytes
// are no character of the code (or its table is missing).
struct CodePoints {
  char32_t first = 0;
  char32_t second = 0;
  int count = 0;
};

// The character of `code` (GB, Big5 or Shift JIS) that `step` found at bytes.
CodePoints DecodeCharacter(int code, const uint8_t* bytes, CharacterStep step);

// A character's form in a legacy code: its bytes, and whether they stand for
// another form of it (a simplified, traditional or Japanese one, or a mark
// that looks alike); `length` 0 when the code has none.
struct LegacyForm {
  uint8_t bytes[2] = {};
  uint8_t length = 0;
  bool substitute = false;
};

LegacyForm EncodeCharacter(int code, char32_t c);

// Whether c may be the letter of a letter and its accent that one character
// of a code stands for (the Hong Kong additions' E with circumflex).
constexpr bool IsComposedBase(char32_t c) { return c == 0xCA || c == 0xEA; }

// The character of `code` that stands for `base` followed by `accent`;
// `length` 0 when there is none.
LegacyForm EncodeComposed(int code, char32_t base, char32_t accent);

// Writes the UTF-8 of c (at most U+10FFFF) to out, which has room for 4
// bytes; returns how many.
size_t AppendUtf8(char32_t c, uint8_t* out);
