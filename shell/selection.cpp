#include "shell/selection.h"

SelectionRecord Selection;

void ClearSelection() { Selection = SelectionRecord{}; }

bool HasSelection() { return Selection.anchor != -1; }

bool IsLineSelected(int line) {
  if (!HasSelection()) return false;
  int low = Selection.anchor < Selection.end ? Selection.anchor : Selection.end;
  int high = Selection.anchor < Selection.end ? Selection.end : Selection.anchor;
  return line >= low && line <= high;
}
