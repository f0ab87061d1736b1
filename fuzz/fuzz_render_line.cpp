// RenderLine in each code with random fonts (short ones too, with an
// extension and without) and line bitmap sizes.
#include <cstring>

#include "base/settings_values.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  ResetForFuzzing();
  FuzzInput input{data, size};
  CodeType = TakeByte(input) % 6;
  Settings.charsPerLine = ClampCharsPerLine(TakeWord(input) % 600);
  Settings.lineSpacing = TakeByte(input) % 17;
  int clientWidth = TakeWord(input) - 1000;
  size_t fontSize = TakeWord(input) * 8u;
  uint8_t ink = TakeByte(input) | 1;
  int shortBy = TakeByte(input) % 3;  // a pair's second byte may lie past the count
  const bool extension = (TakeByte(input) & 1) != 0;
  size_t readable = input.size;
  int count = static_cast<int>(readable) - shortBy;

  GlyphFont.bytes = AllocateZeroed<uint8_t>(fontSize);
  GlyphFont.size = fontSize;
  std::memset(GlyphFont.bytes.get(), ink, fontSize);
  if (extension) {
    // Every other position present, every glyph inked.
    GlyphFont.extension = AllocateZeroed<uint8_t>(ExtensionFontSize);
    std::memset(GlyphFont.extension.get(), 0x55, ExtensionPresenceSize);
    std::memset(GlyphFont.extension.get() + ExtensionPresenceSize, ink, ExtensionFontSize - ExtensionPresenceSize);
  }
  if (!AllocateLineBitmap(nullptr, clientWidth)) return 0;
  FUZZ_CHECK(LineBitmap.bytesPerRow % 2 == 0);
  FUZZ_CHECK(LineBitmap.bytesPerRow >= Settings.charsPerLine + 2);
  RenderLine(input.data, count, readable);
  // The line spacing above and below the glyph rows is never inked.
  const int top = GlyphTop();
  for (int row = 0; row < LineBitmap.lineHeight; ++row) {
    if (row >= top && row < top + 16) continue;
    for (int c = 0; c < LineBitmap.bytesPerRow; ++c)
      FUZZ_CHECK(LineBitmap.bits[static_cast<size_t>(row) * LineBitmap.bytesPerRow + c] == 0);
  }
  return 0;
}
