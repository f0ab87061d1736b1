// Where the text view stands in the document.
#pragma once

struct ViewStateRecord {
  int firstLine = 0;    // display line at the top of the view
  int firstColumn = 0;  // cells scrolled off to the left
};

extern ViewStateRecord ViewState;
