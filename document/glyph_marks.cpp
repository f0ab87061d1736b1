#include "document/glyph_marks.h"

#include <cstring>

namespace {
// 3 x 5 pixel hex digits, one byte a row, the pixels in bits 2..0.
constexpr uint8_t HexDigits[16][5] = {{7, 5, 5, 5, 7}, {2, 6, 2, 2, 7}, {7, 1, 7, 4, 7}, {7, 1, 7, 1, 7},
                                      {5, 5, 7, 1, 1}, {7, 4, 7, 1, 7}, {7, 4, 7, 5, 7}, {7, 1, 1, 1, 1},
                                      {7, 5, 7, 5, 7}, {7, 5, 7, 1, 7}, {2, 5, 7, 5, 5}, {6, 5, 6, 5, 6},
                                      {3, 4, 4, 4, 3}, {6, 5, 5, 5, 6}, {7, 4, 7, 4, 7}, {7, 4, 7, 4, 4}};
}  // namespace

void DrawByteMark(uint8_t byte, uint8_t glyph[16]) {
  std::memset(glyph, 0, 16);
  glyph[1] = glyph[14] = 0xFE;
  for (int row = 2; row <= 13; ++row) glyph[row] = 0x82;
  for (int row = 0; row < 5; ++row) {
    glyph[3 + row] = static_cast<uint8_t>(glyph[3 + row] | HexDigits[byte >> 4][row] << 3);
    glyph[8 + row] = static_cast<uint8_t>(glyph[8 + row] | HexDigits[byte & 15][row] << 3);
  }
}

namespace {
// Two rows of hex digits, the first five rows down, in a box two cells wide.
void DrawDigitRows(const uint8_t* digits, int perRow, uint8_t glyph[32]) {
  uint16_t rows[16] = {};
  rows[1] = rows[14] = 0x7FFE;
  for (int row = 2; row <= 13; ++row) rows[row] = 0x4002;
  // Each digit three pixels and a gap, the row centred in the box.
  const int width = 4 * perRow - 1, left = (16 - width) / 2;
  for (int line = 0; line < 2; ++line) {
    for (int k = 0; k < perRow; ++k) {
      const int shift = 16 - (left + 4 * k) - 3;
      for (int row = 0; row < 5; ++row)
        rows[3 + 5 * line + row] =
            static_cast<uint16_t>(rows[3 + 5 * line + row] | HexDigits[digits[line * perRow + k]][row] << shift);
    }
  }
  for (int row = 0; row < 16; ++row) {
    glyph[2 * row] = static_cast<uint8_t>(rows[row] >> 8);
    glyph[2 * row + 1] = static_cast<uint8_t>(rows[row] & 0xFF);
  }
}
}  // namespace

void DrawPairMark(uint8_t lead, uint8_t trail, uint8_t glyph[32]) {
  // The lead's digits over the trail's.
  const uint8_t digits[4] = {static_cast<uint8_t>(lead >> 4), static_cast<uint8_t>(lead & 15),
                             static_cast<uint8_t>(trail >> 4), static_cast<uint8_t>(trail & 15)};
  DrawDigitRows(digits, 2, glyph);
}

void DrawCodePointMark(char32_t c, uint8_t glyph[32]) {
  if (c <= 0xFFFF) {
    DrawPairMark(static_cast<uint8_t>(c >> 8), static_cast<uint8_t>(c & 0xFF), glyph);
    return;
  }
  uint8_t digits[6];
  for (int k = 0; k < 6; ++k) digits[k] = static_cast<uint8_t>((c >> (4 * (5 - k))) & 15);
  DrawDigitRows(digits, 3, glyph);
}
