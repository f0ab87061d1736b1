// The run of whole display lines the user has selected, and how a press, a
// drag and the auto-scroll timer move it.
#pragma once

#include <cstdint>

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

// What a step of the mouse or the timer leaves: the view's first line, the
// selection, and whether the view must be drawn again.
struct SelectionStep {
  int firstLine = 0;
  SelectionRecord selection;
  bool repaint = false;
};

// A press at client y. With a selection it only clears it; otherwise a press
// on a line (or the row just below the last) starts dragging there; with no
// document nothing happens.
SelectionStep PressAt(int firstLine, const SelectionRecord& selection, int y, int lineCount);

// A move while dragging: above the view (y negative) or below it (y past
// `clientHeight`) the view scrolls a line toward the pointer where it can and
// the selection follows; over the view the end is the row under the pointer.
SelectionStep DragTo(int firstLine, int visibleRows, const SelectionRecord& selection, int y, int clientHeight,
                     int lineCount);

// The timer's step while dragging, the pointer at client y: on the partly
// visible bottom row or below, and above the view, scroll a line as a move
// would; over a whole row nothing happens.
SelectionStep StepTimer(int firstLine, int visibleRows, const SelectionRecord& selection, int y, int lineCount);

// The document text a selection covers: from the start of its first display
// line to the end of its last; lines at or past lineCount add nothing.
struct TextRange {
  uint32_t start = 0;
  uint32_t end = 0;
};
TextRange SelectedText(const SelectionRecord& selection);
