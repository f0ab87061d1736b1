#include "shell/selection.h"

#include "document/document.h"
#include "shell/view_state.h"

SelectionRecord Selection;

void ClearSelection() { Selection = SelectionRecord{}; }

bool HasSelection() { return Selection.anchor != -1; }

namespace {
int Lower(const SelectionRecord& selection) {
  return selection.anchor < selection.end ? selection.anchor : selection.end;
}

int Upper(const SelectionRecord& selection) {
  return selection.anchor < selection.end ? selection.end : selection.anchor;
}

// The view row under client y, or -1 above the view (a captured mouse
// reports points outside it).
int RowFromY(int y) { return y < 0 ? -1 : y / ViewLineHeight(); }

// The display line under client y: up to lineCount (the row just below the
// last line), or -1 above the view and further below.
int LineFromY(int y, int firstLine, int lineCount) {
  int row = RowFromY(y);
  if (row < 0) return -1;
  int line = firstLine + row;
  return line > lineCount ? -1 : line;
}

// One line toward the pointer below the view, the end on the row just below
// the last whole one.
SelectionStep ScrollBelow(int firstLine, int visibleRows, const SelectionRecord& selection, int lineCount) {
  SelectionStep step{firstLine, selection, true};
  if (firstLine + visibleRows + 1 <= lineCount) ++step.firstLine;
  step.selection.end = step.firstLine + visibleRows;
  return step;
}

SelectionStep ScrollAbove(int firstLine, const SelectionRecord& selection) {
  SelectionStep step{firstLine, selection, true};
  if (firstLine > 0) --step.firstLine;
  step.selection.end = step.firstLine;
  return step;
}
}  // namespace

bool IsLineSelected(int line) { return HasSelection() && line >= Lower(Selection) && line <= Upper(Selection); }

SelectionStep PressAt(int firstLine, const SelectionRecord& selection, int y, int lineCount) {
  SelectionStep step{firstLine, selection, false};
  if (lineCount == 0) return step;
  // A press with a selection only clears it; the next press starts anew.
  if (selection.anchor >= 0) {
    step.selection = SelectionRecord{};
    step.repaint = true;
    return step;
  }
  int line = LineFromY(y, firstLine, lineCount);
  if (line < 0) return step;
  step.selection = SelectionRecord{line, line, 1};
  step.repaint = true;
  return step;
}

SelectionStep DragTo(int firstLine, int visibleRows, const SelectionRecord& selection, int y, int clientHeight,
                     int lineCount) {
  if (y > clientHeight) return ScrollBelow(firstLine, visibleRows, selection, lineCount);
  if (y < 0) return ScrollAbove(firstLine, selection);
  SelectionStep step{firstLine, selection, true};
  step.selection.end = firstLine + RowFromY(y);
  return step;
}

SelectionStep StepTimer(int firstLine, int visibleRows, const SelectionRecord& selection, int y, int lineCount) {
  int row = RowFromY(y);
  if (row >= visibleRows) return ScrollBelow(firstLine, visibleRows, selection, lineCount);
  if (row < 0) return ScrollAbove(firstLine, selection);
  return SelectionStep{firstLine, selection, false};
}

TextRange SelectedText(const SelectionRecord& selection) {
  const DocumentRecord& doc = Document;
  int first = Lower(selection);
  int last = Upper(selection);
  if (first < 0 || first >= doc.lineCount || !doc.LineIndex) return TextRange{};
  if (last >= doc.lineCount) last = doc.lineCount - 1;
  return TextRange{doc.LineIndex[first], doc.LineIndex[last + 1]};
}
