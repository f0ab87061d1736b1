// The text view's arithmetic: rows and columns that fit, what each scroll
// request and navigation key does to the view's position, which rows a paint
// covers and which bytes each row shows. The Win32 view wires these to its
// messages.
#pragma once

#include <cstddef>
#include <cstdint>

// Scroll requests, numbered as the platform numbers them; the horizontal
// requests share the numbers (line left 0, line right 1, ...).
enum ScrollRequests {
  ScrollLineUp = 0,
  ScrollLineDown = 1,
  ScrollPageUp = 2,
  ScrollPageDown = 3,
  ScrollThumbPosition = 4,
  ScrollThumbTrack = 5,
  ScrollTop = 6,
  ScrollBottom = 7,
};

enum ScrollBars { ScrollVertical = 0, ScrollHorizontal = 1 };

// What the view must do after a vertical request.
enum ScrollEffects {
  ScrollEffectNone = 0,
  ScrollEffectRowDown = 1,  // contents move down one row: only the top row is new
  ScrollEffectRowUp = 2,    // contents move up one row: only the bottom row is new
  ScrollEffectRepaint = 3,
};

// Records a client size (the low 16 bits of each, as a size message carries
// them) and the whole rows and columns that fit.
void SetViewClientSize(int width, int height);

// Applies vertical request `request` to ViewState.firstLine; `position` is
// the thumb position of the thumb requests.
int ScrollVertically(int request, int position);

// Applies horizontal request `request` to ViewState.firstColumn; true when
// the view changed and must be repainted.
bool ScrollHorizontally(int request, int position);

// The navigation keys, by the platform's virtual key codes.
enum NavigationKeys {
  KeyPageUp = 33,
  KeyPageDown = 34,
  KeyEnd = 35,
  KeyHome = 36,
  KeyLeft = 37,
  KeyUp = 38,
  KeyRight = 39,
  KeyDown = 40,
};

struct ScrollKey {
  int bar = ScrollVertical;
  int request = 0;
};

// The scroll request a navigation key stands for; false for any other key.
bool ScrollRequestForKey(int virtualKey, bool controlDown, ScrollKey* key);

// A thumb position wider than the 16 bits a scroll message carries: the
// scroll bar's 32-bit tracking position when its low 16 bits agree with the
// message, else the message's own position.
int WidenThumbPosition(int position16, int trackPosition);

struct ScrollBarPlan {
  bool shown = false;
  int maximum = 0;
  int position = 0;
};

// The vertical bar: shown with range 0 .. lineCount - visibleRows when the
// document has more lines than fit.
ScrollBarPlan PlanVerticalBar();

// The horizontal bar: shown with range 0 .. charsPerLine - visibleColumns
// when a line is wider than the view and there is a document; when hidden,
// firstColumn returns to 0.
ScrollBarPlan PlanHorizontalBar();

struct LineRange {
  int from = 0;
  int to = -1;
};

// The display lines whose rows meet the pixel rows top .. bottom (bottom
// exclusive) of the client area, limited to the rows that can be seen (the
// partly visible row under the last whole row included).
LineRange LinesToPaint(int top, int bottom);

struct RowText {
  const uint8_t* bytes = nullptr;
  int count = 0;
  size_t readable = 0;  // bytes that may be read from `bytes`, the 0 after the text included
  bool selected = false;
};

// The bytes drawn for display line `line`: its own bytes, or a single blank
// for a row past the last line.
RowText RowTextForLine(int line);

// Client x of the first cell of every line.
int LineLeft();
