#include "base/integer_text.h"

#include <climits>
#include <cstring>

int ReadLeadingInteger(const char* text) { return text == nullptr ? 0 : ReadLeadingInteger(text, std::strlen(text)); }

int ReadLeadingInteger(const char* text, size_t length) {
  if (text == nullptr) return 0;
  size_t i = 0;
  while (i < length && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < length && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; i < length && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > limit) value = limit;
  }
  return static_cast<int>(negative ? -value : value);
}
