// Marks for what no glyph shows: a byte that is no character of its code,
// and a character whose glyph is not to be had. Each names its bytes in
// hexadecimal, so a wrong code or a damaged file shows what it met.
#pragma once

#include <cstdint>

// A box one cell wide holding the byte's two hex digits: 16 rows.
void DrawByteMark(uint8_t byte, uint8_t glyph[16]);

// A box two cells wide holding the lead's digits above the trail's: 16 rows
// of two bytes.
void DrawPairMark(uint8_t lead, uint8_t trail, uint8_t glyph[32]);

// A code point that no glyph shows, in the same box: four hex digits in two
// rows, or six in two rows of three past the first plane.
void DrawCodePointMark(char32_t c, uint8_t glyph[32]);
