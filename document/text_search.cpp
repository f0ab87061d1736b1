#include "document/text_search.h"

#include <algorithm>
#include <cstring>

#include "document/code_rules.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/unicode_forms.h"

namespace {
bool IsAsciiLetter(uint8_t b) { return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z'); }

uint8_t Lower(uint8_t b) { return b >= 'A' && b <= 'Z' ? static_cast<uint8_t>(b + 32) : b; }

size_t CharacterLength(int code, const uint8_t* text, size_t p, size_t n) {
  if (IsUnicodeCode(code)) return StepUnicode(code, text, p, n).length;
  return StepCharacter(code, text, p, n).length;
}

void AppendUnit(std::vector<uint8_t>& bytes, char32_t unit, bool bigEndian) {
  const uint8_t high = static_cast<uint8_t>(unit >> 8), low = static_cast<uint8_t>(unit);
  bytes.push_back(bigEndian ? high : low);
  bytes.push_back(bigEndian ? low : high);
}

// Whether a character starts at p: stepped from the line start before it.
bool StartsACharacter(int code, const uint8_t* text, size_t n, const uint32_t* lineStarts, size_t lineCount, size_t p) {
  const uint32_t* end = lineStarts + lineCount + 1;
  const uint32_t* after = std::upper_bound(lineStarts, end, static_cast<uint32_t>(p));
  size_t at = after == lineStarts ? 0 : *(after - 1);
  while (at < p) at += CharacterLength(code, text, at, n);
  return at == p;
}

bool MatchesAt(const SearchPattern& pattern, const uint8_t* at) {
  const size_t length = pattern.bytes.size();
  if (pattern.matchCase) return std::memcmp(at, pattern.bytes.data(), length) == 0;
  for (size_t k = 0; k < length; ++k) {
    const uint8_t b = pattern.letters[k] ? Lower(at[k]) : at[k];
    if (b != pattern.bytes[k]) return false;
  }
  return true;
}
}  // namespace

std::vector<char32_t> CodePointsOfUtf8(const char* text, size_t n) {
  std::vector<char32_t> points;
  const uint8_t* bytes = reinterpret_cast<const uint8_t*>(text);
  for (size_t p = 0; p < n;) {
    const UnicodeStep step = StepUtf8(bytes, p, n);
    points.push_back(step.valid ? step.codePoint : 0xFFFD);
    p += step.length;
  }
  return points;
}

std::vector<char32_t> CodePointsOfUtf16(const char16_t* text, size_t n) {
  std::vector<char32_t> points;
  for (size_t k = 0; k < n; ++k) {
    const char32_t unit = text[k];
    if (unit >= 0xD800 && unit <= 0xDBFF && k + 1 < n && text[k + 1] >= 0xDC00 && text[k + 1] <= 0xDFFF) {
      points.push_back(0x10000 + ((unit - 0xD800) << 10) + (text[k + 1] - 0xDC00));
      ++k;
    } else {
      points.push_back(unit >= 0xD800 && unit <= 0xDFFF ? 0xFFFD : unit);
    }
  }
  return points;
}

bool MakeSearchPattern(int code, const char32_t* text, size_t count, bool matchCase, SearchPattern* pattern) {
  pattern->bytes.clear();
  pattern->letters.clear();
  pattern->matchCase = matchCase;
  for (size_t k = 0; k < count; ++k) {
    const char32_t c = text[k];
    const size_t before = pattern->bytes.size();
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    if (code == CodeUtf8) {
      uint8_t bytes[4];
      pattern->bytes.insert(pattern->bytes.end(), bytes, bytes + AppendUtf8(c, bytes));
    } else if (IsUtf16Code(code)) {
      const bool bigEndian = code == CodeUtf16Be;
      if (c < 0x10000) {
        AppendUnit(pattern->bytes, c, bigEndian);
      } else {
        AppendUnit(pattern->bytes, 0xD800 + ((c - 0x10000) >> 10), bigEndian);
        AppendUnit(pattern->bytes, 0xDC00 + ((c - 0x10000) & 0x3FF), bigEndian);
      }
    } else {
      const LegacyForm form = EncodeCharacter(code, c);
      if (form.length == 0 || form.substitute) return false;
      pattern->bytes.insert(pattern->bytes.end(), form.bytes, form.bytes + form.length);
    }
    // An ASCII letter is one byte (UTF-16: the unit's low byte).
    const bool letter = c < 0x80 && IsAsciiLetter(static_cast<uint8_t>(c));
    pattern->letters.resize(pattern->bytes.size(), 0);
    if (letter) {
      const size_t at = code == CodeUtf16Be ? before + 1 : before;
      pattern->letters[at] = 1;
      if (!matchCase) pattern->bytes[at] = Lower(pattern->bytes[at]);
    }
  }
  return !pattern->bytes.empty();
}

size_t FindPattern(const SearchPattern& pattern, int code, const uint8_t* text, size_t n, const uint32_t* lineStarts,
                   size_t lineCount, size_t from, size_t to, bool forward) {
  const size_t length = pattern.bytes.size();
  if (length == 0 || to > n || to < from || to - from < length) return NotFound;
  // A byte of the pattern that is no letter is sought with memchr; a
  // pattern of letters alone is read byte by byte.
  size_t anchor = 0;
  while (anchor < length && !pattern.matchCase && pattern.letters[anchor]) ++anchor;
  const size_t last = to - length;  // the last place a match may start
  if (forward) {
    for (size_t p = from; p <= last; ++p) {
      if (anchor < length) {
        const void* hit = std::memchr(text + p + anchor, pattern.bytes[anchor], last - p + 1);
        if (hit == nullptr) return NotFound;
        p = static_cast<size_t>(static_cast<const uint8_t*>(hit) - text) - anchor;
      }
      if (MatchesAt(pattern, text + p) && StartsACharacter(code, text, n, lineStarts, lineCount, p)) return p;
    }
    return NotFound;
  }
  for (size_t p = last + 1; p-- > from;) {
    if (anchor < length && text[p + anchor] != pattern.bytes[anchor]) continue;
    if (MatchesAt(pattern, text + p) && StartsACharacter(code, text, n, lineStarts, lineCount, p)) return p;
  }
  return NotFound;
}

int FindInDocument(const SearchPattern& pattern, int line, bool forward) {
  const int count = Document.lineCount;
  if (count <= 0 || line < 0 || line > count) return -1;
  const uint32_t* starts = Document.LineIndex.get();
  const size_t end = starts[count];
  const size_t from = forward ? starts[line] : 0;
  const size_t to = forward ? end : starts[line];
  // A match that starts in the lines searched may run past them backwards.
  const size_t limit = forward ? end : std::min(end, to + pattern.bytes.size() - 1);
  const size_t found = FindPattern(pattern, CodeType, Document.text.get(), end, starts, static_cast<size_t>(count),
                                   from, forward ? to : limit, forward);
  if (found == NotFound || (!forward && found >= to)) return -1;
  return LineHolding(static_cast<uint32_t>(found));
}
