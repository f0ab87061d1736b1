// Where the text view stands in the document.
#pragma once

struct ViewStateRecord {
  int firstLine = 0;       // display line at the top of the view
  int firstColumn = 0;     // cells scrolled off to the left
  int visibleRows = 0;     // whole rows that fit the client height
  int visibleColumns = 0;  // whole 8-pixel columns that fit the client width
  int clientWidth = 0;     // client size from the last WM_SIZE, 16 bits each
  int clientHeight = 0;
};

extern ViewStateRecord ViewState;

// GlyphHeight + Settings.lineSpacing: the height of one row in pixels.
int ViewLineHeight();
