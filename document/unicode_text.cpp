#include "document/unicode_text.h"

#include "document/code_rules.h"
#include "document/unicode_forms.h"

namespace {
void AppendCodePoint(std::u16string& out, char32_t c) {
  if (c < 0x10000) {
    out.push_back(static_cast<char16_t>(c));
    return;
  }
  out.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
  out.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
}
}  // namespace

std::u16string TextAsUtf16(int code, const uint8_t* bytes, size_t n) {
  std::u16string out;
  out.reserve(n);
  for (size_t p = 0; p < n;) {
    CodePoints points;
    size_t length;
    if (IsUnicodeCode(code)) {
      const UnicodeStep step = StepUnicode(code, bytes, p, n);
      length = step.length;
      if (step.valid) points = CodePoints{step.codePoint, 0, 1};
    } else {
      const CharacterStep step = StepCharacter(code, bytes, p, n);
      length = step.length;
      points = DecodeCharacter(code, bytes + p, step);
    }
    const bool mark = p == 0 && points.count == 1 && points.first == 0xFEFF;
    p += length;
    if (mark) continue;
    if (points.count == 0) {
      out.push_back(u'\uFFFD');
      continue;
    }
    // A line feed alone ends its line as CR LF does.
    if (points.first == '\n' && (out.empty() || out.back() != u'\r')) out.push_back(u'\r');
    AppendCodePoint(out, points.first);
    if (points.count == 2) AppendCodePoint(out, points.second);
  }
  return out;
}
