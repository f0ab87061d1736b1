// How the bytes of each code make characters: the one rule that the line
// index, the renderer, detection and the converters pair bytes by.
//
// GB reads GBK: a lead byte 0x81 to 0xFE with a trail 0x40 to 0xFE (not
// 0x7F), and GB 18030's four-byte sequences (lead, 0x30-0x39, lead,
// 0x30-0x39), which are kept whole. Big5 reads Big5 with the Hong Kong
// additions: lead 0x81 to 0xFE, trail 0x40 to 0x7E or 0xA1 to 0xFE. Shift JIS
// reads the Windows form: lead 0x81 to 0x9F or 0xE0 to 0xFC, trail 0x40 to
// 0xFC (not 0x7F), single-byte katakana 0xA1 to 0xDF. A lead byte whose next
// byte is no trail is a character of its own that the code does not have,
// and the next byte starts afresh; so is any other byte of 0x80 and above
// that is no character by itself.
#pragma once

#include <cstddef>
#include <cstdint>

enum CodeTypes { CodeGb = 0, CodeBig5 = 1, CodeShiftJis = 2 };

constexpr bool IsGbLead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsGbTrail(uint8_t b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }
constexpr bool IsBig5Lead(uint8_t b) { return b >= 0x81 && b <= 0xFE; }
constexpr bool IsBig5Trail(uint8_t b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0xA1 && b <= 0xFE); }
constexpr bool IsSjisLead(uint8_t b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
constexpr bool IsSjisTrail(uint8_t b) { return b >= 0x40 && b <= 0xFC && b != 0x7F; }
constexpr bool IsSjisKatakana(uint8_t b) { return b >= 0xA1 && b <= 0xDF; }
constexpr bool IsDigitByte(uint8_t b) { return b >= 0x30 && b <= 0x39; }

constexpr bool IsLeadOf(int code, uint8_t b) {
  return code == CodeShiftJis ? IsSjisLead(b) : code == CodeBig5 ? IsBig5Lead(b) : IsGbLead(b);
}
constexpr bool IsTrailOf(int code, uint8_t b) {
  return code == CodeShiftJis ? IsSjisTrail(b) : code == CodeBig5 ? IsBig5Trail(b) : IsGbTrail(b);
}

enum CharacterKinds : uint8_t {
  CharacterSingle,   // a byte below 0x80, or a single-byte katakana
  CharacterPair,     // a lead and its trail
  CharacterFour,     // GB 18030's four bytes
  CharacterInvalid,  // one byte that is no character of the code
};

struct CharacterStep {
  uint8_t length;
  uint8_t kind;
};

// The character that starts at bytes[p] (p below n); it never reaches past n.
constexpr CharacterStep StepCharacter(int code, const uint8_t* bytes, size_t p, size_t n) {
  const uint8_t b = bytes[p];
  if (b < 0x80) return {1, CharacterSingle};
  if (code == CodeShiftJis && IsSjisKatakana(b)) return {1, CharacterSingle};
  if (!IsLeadOf(code, b) || p + 1 >= n) return {1, CharacterInvalid};
  const uint8_t t = bytes[p + 1];
  if (IsTrailOf(code, t)) return {2, CharacterPair};
  if (code == CodeGb && IsDigitByte(t) && p + 3 < n && IsGbLead(bytes[p + 2]) && IsDigitByte(bytes[p + 3]))
    return {4, CharacterFour};
  return {1, CharacterInvalid};
}
