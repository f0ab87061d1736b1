// Finding a text in the document: the text typed (in Unicode) written in
// the document's code, and sought where a character starts, so that a
// second byte is never taken for a first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// What is sought, in the document's code.
struct SearchPattern {
  std::vector<uint8_t> bytes;
  // 1 where bytes[k] is an ASCII letter that is a character of its own:
  // without matchCase it matches either case.
  std::vector<uint8_t> letters;
  bool matchCase = true;
};

// Writes the code points text[0..count) in `code` (HZ texts are held in GB)
// into *pattern. False when the text is empty or a character has no form of
// its own in the code: a search never matches another form of it.
bool MakeSearchPattern(int code, const char32_t* text, size_t count, bool matchCase, SearchPattern* pattern);

// The code points of UTF-8 or UTF-16 text, as a find dialog or a command
// line hands it over; a byte or unit that is no character becomes U+FFFD.
std::vector<char32_t> CodePointsOfUtf8(const char* text, size_t n);
std::vector<char32_t> CodePointsOfUtf16(const char16_t* text, size_t n);

constexpr size_t NotFound = static_cast<size_t>(-1);

// The first place in text[0..n) at or after `from` (forwards), or the last
// that ends at or before `to` (backwards), where the pattern stands and a
// character of `code` starts; `lineStarts` (count + 1 ascending offsets,
// the first 0) are places where a character is known to start. NotFound
// when there is none.
size_t FindPattern(const SearchPattern& pattern, int code, const uint8_t* text, size_t n, const uint32_t* lineStarts,
                   size_t lineCount, size_t from, size_t to, bool forward);

// In the document: the display line of the first match in the lines from
// `line` on (forwards), or of the last in the lines before `line`
// (backwards); -1 when there is none there.
int FindInDocument(const SearchPattern& pattern, int line, bool forward);
