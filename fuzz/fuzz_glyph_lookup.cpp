// The glyph lookups of the three codes against fonts of every size.
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
  while (input.size >= 2) {
    uint8_t first = TakeByte(input);
    uint8_t second = TakeByte(input);
    CheckInside(SingleByteGlyph(first), NarrowGlyphSize);
    CheckInside(GbGlyph(first, second), WideGlyphSize);
    CheckInside(Big5Glyph(first, second), WideGlyphSize);
    CheckInside(SjisGlyph(first, second), WideGlyphSize);
  }
  return 0;
}
