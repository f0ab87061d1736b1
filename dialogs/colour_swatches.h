// The 32 swatches of the colour dialog: buttons 1003 to 1018 stand for the
// character colours 0 to 15, buttons 1019 to 1034 for the background
// colours, each a 4 x 4 grid of the palette.
#pragma once

struct SwatchRecord {
  bool background = false;  // which group the swatch belongs to
  int index = 0;            // its palette index
};

// The swatch of button `id`; false for any other id.
bool SwatchForButton(int id, SwatchRecord* swatch);

// The two colours the dialog chooses, as palette indexes.
struct ColourChoice {
  int textIndex = 15;
  int backIndex = 1;
};

// A click on button `id`: the colour of its group becomes its colour.
void PickSwatch(int id, ColourChoice* choice);

// Whether button `id` is the current choice of its group, which is framed.
bool IsSwatchChosen(int id, const ColourChoice& choice);

// The coloured rectangle inside a button's client rectangle: 3 pixels in
// from every edge, so the frame of the chosen one stands apart from it.
struct SwatchRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};
SwatchRect SwatchFill(const SwatchRect& client);
