// The run of whole display lines the user has selected.
#pragma once

struct SelectionRecord {
  int anchor = -1;  // display line where the press began; -1: no selection
  int end = -1;     // display line reached by the last drag step
  int dragging = 0;
};

extern SelectionRecord Selection;

void ClearSelection();
bool HasSelection();

// Whether display line `line` lies between anchor and end, either order.
bool IsLineSelected(int line);
