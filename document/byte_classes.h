// Classes of single bytes, by the code being drawn or converted.
#pragma once

#include <cstdint>

constexpr bool IsControlByte(uint8_t b) { return b <= 0x1F; }
constexpr bool IsAsciiByte(uint8_t b) { return b <= 0x7F; }
constexpr bool IsGbLeadByte(uint8_t b) { return b >= 0xA1 && b <= 0xFE; }
constexpr bool IsBig5LeadByte(uint8_t b) { return b >= 0xA1 && b <= 0xFE; }
constexpr bool IsSjisLeadByte(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
