#include "dialogs/dialog_fields.h"

#include "base/integer_text.h"

namespace {
int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }
}  // namespace

int ReadLineWidthField(const char* text) { return Clamp(ReadLeadingInteger(text), 16, 256); }

int ReadLineSpacingField(const char* text) { return Clamp(ReadLeadingInteger(text), 0, 16); }

int ReadLineNumberField(const char* text, int lineCount) {
  return Clamp(ReadLeadingInteger(text), 1, lineCount > 1 ? lineCount : 1);
}
