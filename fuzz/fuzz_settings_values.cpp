// Reading the settings file: any text under any key gives values in range.
#include <cstring>
#include <string>

#include "base/settings_values.h"
#include "document/document.h"
#include "fuzz/fuzz_support.h"
#include "shell/settings_store.h"

namespace {
FuzzInput stored;

// Every key reads the next piece of the input, up to a 0 byte; an input used
// up leaves the key missing.
bool ReadFromInput(const char*, char* dest, size_t destSize) {
  if (stored.size == 0) return false;
  size_t length = 0;
  while (length < stored.size && stored.data[length] != 0) ++length;
  size_t copy = length < destSize - 1 ? length : destSize - 1;
  std::memcpy(dest, stored.data, copy);
  dest[copy] = '\0';
  size_t used = length < stored.size ? length + 1 : length;
  stored.data += used;
  stored.size -= used;
  return true;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetForFuzzing();
  stored = FuzzInput{data, size};
  FramePlacement placement;
  ReadStoredSettings(ReadFromInput, &placement, &CodeType);
  FUZZ_CHECK(Settings.charsPerLine >= MinCharsPerLine && Settings.charsPerLine <= MaxCharsPerLine);
  FUZZ_CHECK(Settings.lineSpacing >= MinLineSpacing && Settings.lineSpacing <= MaxLineSpacing);
  FUZZ_CHECK(Settings.textIndex >= 0 && Settings.textIndex <= 15);
  FUZZ_CHECK(Settings.backIndex >= 0 && Settings.backIndex <= 15);
  FUZZ_CHECK(CodeType >= CodeGb && CodeType <= CodeUtf8);  // Unicode is kept as UTF-8
  FUZZ_CHECK(Settings.textColour == ColourPalette[Settings.textIndex]);
  FUZZ_CHECK(Settings.backColour == ColourPalette[Settings.backIndex]);
  if (IsUsablePlacement(placement)) {
    FUZZ_CHECK(static_cast<long long>(placement.right) - placement.left > 0);
    FUZZ_CHECK(static_cast<long long>(placement.bottom) - placement.top > 0);
  }
  return 0;
}
