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
//
// Unicode texts are read in UTF-8 or in UTF-16 of either byte order: a
// character is one code point; a sequence that is no well-formed code point
// is as many bytes that are no character (a UTF-16 unit that is no code
// point, two).
#pragma once

#include <cstddef>
#include <cstdint>

enum CodeTypes { CodeGb = 0, CodeBig5 = 1, CodeShiftJis = 2, CodeUtf8 = 3, CodeUtf16Le = 4, CodeUtf16Be = 5 };

constexpr bool IsUnicodeCode(int code) { return code >= CodeUtf8 && code <= CodeUtf16Be; }
constexpr bool IsUtf16Code(int code) { return code == CodeUtf16Le || code == CodeUtf16Be; }

// The code a header or footer is composed in: the document's, but UTF-8 for
// any Unicode text (a template and a file name are UTF-8 already).
constexpr int HeaderCodeOf(int code) { return IsUnicodeCode(code) ? CodeUtf8 : code; }

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

// A Unicode character: its bytes and its code point; a byte sequence that is
// no well-formed code point gives `valid` false and the bytes it spans.
struct UnicodeStep {
  uint8_t length;
  bool valid;
  char32_t codePoint;
};

constexpr bool IsContinuation(uint8_t b) { return (b & 0xC0) == 0x80; }

// The UTF-8 character at bytes[p] (p below n); it never reaches past n. An
// ill-formed sequence (a stray continuation, a lead without its
// continuations, an overlong form, a surrogate, a code point past U+10FFFF)
// is one byte that is no character.
constexpr UnicodeStep StepUtf8(const uint8_t* bytes, size_t p, size_t n) {
  const uint8_t b = bytes[p];
  if (b < 0x80) return {1, true, b};
  // The second byte's range, which rules out overlong forms and surrogates.
  uint8_t length = 0, low = 0x80, high = 0xBF;
  char32_t c = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, c = b & 0x0F;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, c = b & 0x07;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return {1, false, 0};
  }
  if (p + length > n || bytes[p + 1] < low || bytes[p + 1] > high) return {1, false, 0};
  c = c << 6 | (bytes[p + 1] & 0x3F);
  for (uint8_t k = 2; k < length; ++k) {
    if (!IsContinuation(bytes[p + k])) return {1, false, 0};
    c = c << 6 | (bytes[p + k] & 0x3F);
  }
  return {length, true, c};
}

constexpr char32_t Utf16Unit(const uint8_t* bytes, size_t p, bool bigEndian) {
  return bigEndian ? static_cast<char32_t>(bytes[p] << 8 | bytes[p + 1])
                   : static_cast<char32_t>(bytes[p + 1] << 8 | bytes[p]);
}

// The UTF-16 character at bytes[p] (p below n); it never reaches past n. A
// surrogate pair is one character; a lone surrogate two bytes that are no
// character; a last odd byte one.
constexpr UnicodeStep StepUtf16(const uint8_t* bytes, size_t p, size_t n, bool bigEndian) {
  if (p + 2 > n) return {1, false, 0};
  const char32_t unit = Utf16Unit(bytes, p, bigEndian);
  if (unit < 0xD800 || unit > 0xDFFF) return {2, true, unit};
  if (unit > 0xDBFF || p + 4 > n) return {2, false, 0};
  const char32_t low = Utf16Unit(bytes, p + 2, bigEndian);
  if (low < 0xDC00 || low > 0xDFFF) return {2, false, 0};
  return {4, true, 0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00)};
}

// The character at bytes[p] in Unicode code `code`.
constexpr UnicodeStep StepUnicode(int code, const uint8_t* bytes, size_t p, size_t n) {
  return code == CodeUtf8 ? StepUtf8(bytes, p, n) : StepUtf16(bytes, p, n, code == CodeUtf16Be);
}

// The byte-order mark at the start of a text: the Unicode code it names, or
// -1 for none.
constexpr int CodeOfByteOrderMark(const uint8_t* bytes, size_t n) {
  if (n >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) return CodeUtf8;
  if (n >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) return CodeUtf16Le;
  if (n >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) return CodeUtf16Be;
  return -1;
}
