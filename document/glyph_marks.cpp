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

void DrawPairMark(uint8_t lead, uint8_t trail, uint8_t glyph[32]) {
  uint16_t rows[16] = {};
  rows[1] = rows[14] = 0x7FFE;
  for (int row = 2; row <= 13; ++row) rows[row] = 0x4002;
  // The lead's digits over the trail's, each pair of digits centred.
  for (int row = 0; row < 5; ++row) {
    const uint8_t digits[2][2] = {{HexDigits[lead >> 4][row], HexDigits[lead & 15][row]},
                                  {HexDigits[trail >> 4][row], HexDigits[trail & 15][row]}};
    for (int line = 0; line < 2; ++line)
      rows[3 + 5 * line + row] =
          static_cast<uint16_t>(rows[3 + 5 * line + row] | digits[line][0] << 9 | digits[line][1] << 4);
  }
  for (int row = 0; row < 16; ++row) {
    glyph[2 * row] = static_cast<uint8_t>(rows[row] >> 8);
    glyph[2 * row + 1] = static_cast<uint8_t>(rows[row] & 0xFF);
  }
}
