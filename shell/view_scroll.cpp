#include "shell/view_scroll.h"

#include "base/settings_values.h"
#include "document/cells.h"
#include "document/display_line.h"
#include "document/document.h"
#include "shell/selection.h"
#include "shell/view_state.h"

namespace {
// A page step keeps one row in common; a view of one row or less still
// moves by one.
int PageStep(int visible) { return visible > 1 ? visible - 1 : 1; }

int CharsPerLine() { return ClampCharsPerLine(Settings.charsPerLine); }
}  // namespace

void SetViewClientSize(int width, int height) {
  ViewState.clientWidth = width & 0xFFFF;
  ViewState.clientHeight = height & 0xFFFF;
  ViewState.visibleRows = ViewState.clientHeight / ViewLineHeight();
  ViewState.visibleColumns = ViewState.clientWidth / CellWidth;
}

int ScrollVertically(int request, int position) {
  ViewStateRecord& view = ViewState;
  const int lines = Document.lineCount;
  switch (request) {
    case ScrollLineUp:
      if (view.firstLine <= 0) return ScrollEffectNone;
      --view.firstLine;
      return ScrollEffectRowDown;
    case ScrollLineDown:
      if (view.firstLine + view.visibleRows + 1 > lines) return ScrollEffectNone;
      ++view.firstLine;
      return ScrollEffectRowUp;
    case ScrollPageUp:
      view.firstLine -= PageStep(view.visibleRows);
      break;
    case ScrollPageDown:
      if (view.firstLine + view.visibleRows >= lines) return ScrollEffectNone;
      view.firstLine += PageStep(view.visibleRows);
      break;
    case ScrollThumbPosition:
    case ScrollThumbTrack:
      view.firstLine = position;
      break;
    case ScrollTop:
      view.firstLine = 0;
      break;
    case ScrollBottom:
      view.firstLine = lines - view.visibleRows;
      break;
    default:
      return ScrollEffectNone;
  }
  if (view.firstLine < 0) view.firstLine = 0;
  return ScrollEffectRepaint;
}

bool ScrollHorizontally(int request, int position) {
  ViewStateRecord& view = ViewState;
  const int width = CharsPerLine();
  const bool roomRight = view.firstColumn + view.visibleColumns < width;
  switch (request) {
    case ScrollLineUp:
      if (view.firstColumn <= 0) return false;
      --view.firstColumn;
      return true;
    case ScrollLineDown:
      if (!roomRight) return false;
      ++view.firstColumn;
      return true;
    case ScrollPageUp:
      if (view.firstColumn <= 0) return false;
      view.firstColumn -= PageStep(view.visibleColumns);
      if (view.firstColumn < 0) view.firstColumn = 0;
      return true;
    case ScrollPageDown:
      if (!roomRight) return false;
      view.firstColumn += PageStep(view.visibleColumns);
      if (view.firstColumn > width - view.visibleColumns) view.firstColumn = width - view.visibleColumns;
      return true;
    case ScrollThumbTrack:
      view.firstColumn = position > 0 ? position : 0;
      return true;
    case ScrollTop:
      if (view.firstColumn == 0) return false;
      view.firstColumn = 0;
      return true;
    case ScrollBottom:
      if (!roomRight) return false;
      view.firstColumn = width - view.visibleColumns;
      return true;
    default:
      return false;
  }
}

bool ScrollRequestForKey(int virtualKey, bool controlDown, ScrollKey* key) {
  switch (virtualKey) {
    case KeyPageUp:
      *key = {ScrollVertical, ScrollPageUp};
      return true;
    case KeyPageDown:
      *key = {ScrollVertical, ScrollPageDown};
      return true;
    case KeyEnd:
      *key = {ScrollVertical, ScrollBottom};
      return true;
    case KeyHome:
      *key = {ScrollVertical, ScrollTop};
      return true;
    case KeyLeft:
      *key = {ScrollHorizontal, controlDown ? ScrollPageUp : ScrollLineUp};
      return true;
    case KeyUp:
      *key = {ScrollVertical, ScrollLineUp};
      return true;
    case KeyRight:
      *key = {ScrollHorizontal, controlDown ? ScrollPageDown : ScrollLineDown};
      return true;
    case KeyDown:
      *key = {ScrollVertical, ScrollLineDown};
      return true;
    default:
      return false;
  }
}

int WidenThumbPosition(int position16, int trackPosition) {
  position16 &= 0xFFFF;
  if (trackPosition >= 0 && (trackPosition & 0xFFFF) == position16) return trackPosition;
  return position16;
}

ScrollBarPlan PlanVerticalBar() {
  ScrollBarPlan plan;
  if (Document.lineCount > ViewState.visibleRows) {
    plan.shown = true;
    plan.maximum = Document.lineCount - ViewState.visibleRows;
  }
  plan.position = ViewState.firstLine;
  return plan;
}

ScrollBarPlan PlanHorizontalBar() {
  ScrollBarPlan plan;
  const int width = CharsPerLine();
  if (width > ViewState.visibleColumns && Document.lineCount != 0) {
    plan.shown = true;
    plan.maximum = width - ViewState.visibleColumns;
  } else {
    ViewState.firstColumn = 0;
  }
  plan.position = ViewState.firstColumn;
  return plan;
}

LineRange LinesToPaint(int top, int bottom) {
  const int height = ViewLineHeight();
  if (top < 0) top = 0;
  LineRange range;
  if (bottom <= top) return range;
  // Bottom is exclusive: the last row is the one holding pixel row bottom - 1.
  range.from = ViewState.firstLine + top / height;
  range.to = ViewState.firstLine + (bottom - 1) / height;
  const int lastVisible = ViewState.firstLine + ViewState.visibleRows;
  if (range.to > lastVisible) range.to = lastVisible;
  return range;
}

RowText RowTextForLine(int line) {
  const DisplayLineBytes bytes = DisplayLine(line);
  const bool real = line >= 0 && line < Document.lineCount;
  return RowText{bytes.bytes, bytes.count, bytes.readable, real && IsLineSelected(line)};
}

int LineLeft() { return -CellWidth * ViewState.firstColumn; }
