// Which code a text is written in, from its bytes.
#pragma once

#include <cstddef>
#include <cstdint>

// Detection looks at this many bytes from where it is asked to start.
constexpr size_t DetectionWindow = 65536;

// The code of the text bytes[0..n), judged on its first DetectionWindow bytes
// (up to a Ctrl-Z, which ends the text). Each code reads the bytes by its own
// rule; a byte sequence that cannot occur in a code, or a position where the
// code holds no character, counts heavily against it; among the codes left,
// the one whose characters are the most typical wins: those each standard
// lists first as the most used, and the kana of Japanese. Well-formed UTF-8
// that holds a character beyond ASCII is UTF-8. A text with no byte of 0x80
// or above is GB. A window taken from inside a text may begin in the middle
// of a character; one that `startsACharacter` (after ASCII) does not.
int DetectCode(const uint8_t* bytes, size_t n, bool startsACharacter = false);

// The code of a whole text: the one its byte-order mark names, or DetectCode
// from its first byte of 0x80 or above.
int DetectTextCode(const uint8_t* text, size_t n);

// How a code reads the window, for tests and the benchmark: the sum of the
// characters' weights.
long ScoreCode(int code, const uint8_t* bytes, size_t n, bool startsACharacter = false);

// The Unicode form a text is read in when Unicode is chosen for it: the one
// its byte-order mark names, else UTF-8.
int UnicodeCodeOf(const uint8_t* text, size_t n);
