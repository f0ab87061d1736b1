#include "dialogs/colour_swatches.h"

namespace {
constexpr int FirstTextSwatch = 1003;
constexpr int FirstBackSwatch = 1019;
constexpr int SwatchInset = 3;
}  // namespace

bool SwatchForButton(int id, SwatchRecord* swatch) {
  if (id < FirstTextSwatch || id >= FirstBackSwatch + 16) return false;
  swatch->background = id >= FirstBackSwatch;
  swatch->index = id - (swatch->background ? FirstBackSwatch : FirstTextSwatch);
  return true;
}

void PickSwatch(int id, ColourChoice* choice) {
  SwatchRecord swatch;
  if (!SwatchForButton(id, &swatch)) return;
  (swatch.background ? choice->backIndex : choice->textIndex) = swatch.index;
}

bool IsSwatchChosen(int id, const ColourChoice& choice) {
  SwatchRecord swatch;
  if (!SwatchForButton(id, &swatch)) return false;
  return swatch.index == (swatch.background ? choice.backIndex : choice.textIndex);
}

SwatchRect SwatchFill(const SwatchRect& client) {
  return SwatchRect{client.left + SwatchInset, client.top + SwatchInset, client.right - SwatchInset,
                    client.bottom - SwatchInset};
}
