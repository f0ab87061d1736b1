// Where a double-byte character lies in the layout that the font files and
// the conversion table files share: GB's rows of 94 from 0xA1A1, Big5's rows
// of 157 from 0xA140 (trails 0x40-0x7E, then 0xA1-0xFE), Shift JIS's rows of
// 189 from 0x8140 (lead 0xE0 following 0x9F). Each file holds the rows of
// its own size; its reader checks that the lead lies in them.
#pragma once

#include <cstdint>

constexpr int GbCell(uint8_t lead, uint8_t trail) { return 94 * (lead - 0xA1) + (trail - 0xA1); }

constexpr int Big5Cell(uint8_t lead, uint8_t trail) {
  return 157 * (lead - 0xA1) + (trail <= 0x7E ? trail - 0x40 : trail - 0x62);
}

constexpr int SjisCell(uint8_t lead, uint8_t trail) {
  return 189 * (lead <= 0x9F ? lead - 0x81 : lead - 0xC1) + (trail - 0x40);
}
