// The glyph lookups of the three codes against fonts of every size, with an
// extension and without.
#include <functional>

#include "document/code_rules.h"
#include "document/glyph_font.h"
#include "fuzz/fuzz_support.h"

namespace {
void CheckInside(const uint8_t* glyph, size_t length) {
  if (glyph == nullptr) return;
  FUZZ_CHECK(glyph >= GlyphFont.bytes.get());
  FUZZ_CHECK(glyph + length <= GlyphFont.bytes.get() + GlyphFont.size);
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetForFuzzing();
  FuzzInput input{data, size};
  size_t fontSize = static_cast<size_t>(TakeWord(input)) * 8u + TakeByte(input);
  GlyphFont.bytes = AllocateZeroed<uint8_t>(fontSize);
  GlyphFont.size = fontSize;
  if (TakeByte(input) & 1) {
    GlyphFont.extension = AllocateZeroed<uint8_t>(ExtensionFontSize);
    for (size_t k = 0; k < ExtensionPresenceSize; ++k) GlyphFont.extension[k] = static_cast<uint8_t>(k * 29);
  }
  uint8_t mark[32];
  while (input.size >= 2) {
    uint8_t first = TakeByte(input);
    uint8_t second = TakeByte(input);
    CheckInside(SingleByteGlyph(first), NarrowGlyphSize);
    CheckInside(GbGlyph(first, second), WideGlyphSize);
    CheckInside(Big5Glyph(first, second), WideGlyphSize);
    CheckInside(SjisGlyph(first, second), WideGlyphSize);
    // A pair's glyph lies in the font, in the extension's glyphs, or is the mark.
    for (int code = CodeGb; code <= CodeShiftJis; ++code) {
      const uint8_t* glyph = PairGlyph(code, first, second, mark);
      const uint8_t* extension = GlyphFont.extension.get();
      if (glyph == mark || glyph == nullptr) continue;
      if (extension != nullptr && std::less_equal<>()(extension, glyph) &&
          std::less<>()(glyph, extension + ExtensionFontSize)) {
        FUZZ_CHECK(glyph >= extension + ExtensionPresenceSize &&
                   glyph + WideGlyphSize <= extension + ExtensionFontSize);
      } else {
        CheckInside(glyph, WideGlyphSize);
      }
    }
  }
  return 0;
}
