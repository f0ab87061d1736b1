// Scrolling and painting the view, and placing the view and the dialogs.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "document/document.h"
#include "document/line_index.h"
#include "shell/frame_layout.h"
#include "shell/selection.h"
#include "shell/settings_values.h"
#include "shell/view_scroll.h"
#include "shell/view_state.h"

namespace {
// A document of `lines` display lines of "x" LF.
void MakeDocument(int lines) {
  std::string text;
  for (int i = 0; i < lines; ++i) text += "x\n";
  ASSERT_TRUE(PutDocumentText(nullptr, reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  ASSERT_TRUE(BuildLineIndex(nullptr, static_cast<uint32_t>(text.size())));
  ASSERT_EQ(Document.lineCount, lines);
}

// What a key does: the effect of a vertical step, 1 or 0 for whether a
// horizontal one moved, -1 for a key that does not scroll.
int Press(int virtualKey, bool control = false) {
  ScrollKey key;
  if (!ScrollRequestForKey(virtualKey, control, &key)) return -1;
  if (key.bar == ScrollVertical) return ScrollVertically(key.request, 0);
  return ScrollHorizontally(key.request, 0) ? 1 : 0;
}
}  // namespace

TEST(ViewScrolling, AHundredLinesInThirtyRowsAndEightyCellsInSeventyFiveColumns) {
  // Line spacing, client size; then what the view makes of them.
  const std::tuple<int, int, int, int, int, int, int> cases[] = {
      {8, 645, 730, 645, 80, 30, 24},
      {16, 0x10000 + 100, 64, 100, 12, 2, 32},
      {0, 640, 36, 640, 80, 2, 16},  // the dialog's 0 is drawn as set
      {-4, 640, 36, 640, 80, 2, 16},
      {8, 640, 10, 640, 80, 0, 24}};
  for (const auto& [spacing, width, height, clientWidth, columns, rows, rowHeight] : cases) {
    Settings.lineSpacing = spacing;
    SetViewClientSize(width, height);
    EXPECT_EQ(std::make_tuple(ViewState.clientWidth, ViewState.visibleColumns, ViewState.visibleRows, ViewLineHeight()),
              std::tie(clientWidth, columns, rows, rowHeight))
        << spacing << " " << width << "x" << height;
  }
  MakeDocument(100);
  SetViewClientSize(600, 30 * 24 + 10);
  ScrollBarPlan vertical = PlanVerticalBar(), horizontal = PlanHorizontalBar();
  EXPECT_EQ(std::make_tuple(vertical.shown, vertical.maximum, horizontal.shown, horizontal.maximum),
            std::make_tuple(true, 70, true, 5));
  // A key, a bar's request and position, or a view size; then the effect, first line and first column.
  // Page Down keeps one row and may run past lineCount - visibleRows (the rows below are blank);
  // Ctrl+Right pages 74 columns, held at the last 5; a view lower than a row pages by one line.
  enum Kind { Key, Ctrl, VBar, HBar, Size };
  constexpr int None = ScrollEffectNone, RowDown = ScrollEffectRowDown, RowUp = ScrollEffectRowUp,
                Repaint = ScrollEffectRepaint, Moved = 1, Stayed = 0, Ignored = -1;
  constexpr int Track = ScrollThumbTrack, Thumb = ScrollThumbPosition, Top = ScrollTop, Bottom = ScrollBottom,
                Back = ScrollLineUp, Ahead = ScrollLineDown, Enter = 13, Q = 0x51, Unknown = 99;
  const std::tuple<Kind, int, int, int, int, int> steps[] = {
      {Key, KeyUp, 0, None, 0, 0},           {Key, KeyDown, 0, RowUp, 1, 0},
      {Key, KeyUp, 0, RowDown, 0, 0},        {Key, KeyEnd, 0, Repaint, 70, 0},
      {Ctrl, KeyDown, 0, None, 70, 0},       {Key, KeyHome, 0, Repaint, 0, 0},
      {Key, KeyPageDown, 0, Repaint, 29, 0}, {Key, KeyPageUp, 0, Repaint, 0, 0},
      {Key, KeyPageDown, 0, Repaint, 29, 0}, {Key, KeyPageDown, 0, Repaint, 58, 0},
      {Key, KeyPageDown, 0, Repaint, 87, 0}, {Key, KeyPageDown, 0, None, 87, 0},
      {Key, Enter, 0, Ignored, 87, 0},       {Ctrl, Q, 0, Ignored, 87, 0},
      {VBar, Track, 42, Repaint, 42, 0},     {VBar, Thumb, 7, Repaint, 7, 0},
      {VBar, Unknown, 0, None, 7, 0},        {Ctrl, KeyRight, 0, Moved, 7, 5},
      {Key, KeyRight, 0, Stayed, 7, 5},      {Key, KeyLeft, 0, Moved, 7, 4},
      {Ctrl, KeyLeft, 0, Moved, 7, 0},       {Key, KeyLeft, 0, Stayed, 7, 0},
      {HBar, Ahead, 0, Moved, 7, 1},         {HBar, Back, 0, Moved, 7, 0},
      {HBar, Top, 0, Stayed, 7, 0},          {HBar, Bottom, 0, Moved, 7, 5},
      {HBar, Top, 0, Moved, 7, 0},           {HBar, Thumb, 3, Stayed, 7, 0},
      {HBar, Track, 3, Moved, 7, 3},         {Size, 600, 10, None, 7, 3},
      {Key, KeyPageDown, 0, Repaint, 8, 3},  {Key, KeyPageUp, 0, Repaint, 7, 3},
      {VBar, Track, 0, Repaint, 0, 3},       {Key, KeyPageUp, 0, Repaint, 0, 3},
      {Key, KeyEnd, 0, Repaint, 100, 3},     {Size, 600, 240, None, 100, 3},
      {VBar, Track, 3, Repaint, 3, 3},       {Key, KeyPageUp, 0, Repaint, 0, 3},
      {Size, 600, 2500, None, 0, 3},         {Key, KeyEnd, 0, Repaint, 0, 3},
      {Key, KeyPageDown, 0, None, 0, 3},     {Key, KeyDown, 0, None, 0, 3}};
  for (size_t i = 0; i < std::size(steps); ++i) {
    const auto& [kind, a, b, effect, firstLine, firstColumn] = steps[i];
    int done = kind == Key    ? Press(a)
               : kind == Ctrl ? Press(a, true)
               : kind == VBar ? ScrollVertically(a, b)
               : kind == HBar ? (ScrollHorizontally(a, b) ? Moved : Stayed)
                              : (SetViewClientSize(a, b), None);
    EXPECT_EQ(std::tie(done, ViewState.firstLine, ViewState.firstColumn), std::tie(effect, firstLine, firstColumn))
        << "step " << i;
  }
  // As many rows as lines: no vertical bar. Widened past the line, the
  // horizontal bar goes and the view returns to column 0; so without a document.
  EXPECT_EQ(std::make_pair(PlanVerticalBar().shown, PlanVerticalBar().maximum), std::make_pair(false, 0));
  SetViewClientSize(800, 240);
  EXPECT_FALSE(PlanHorizontalBar().shown);
  EXPECT_EQ(ViewState.firstColumn, 0);
  ClearDocument();
  SetViewClientSize(300, 240);
  ViewState.firstColumn = 4;
  EXPECT_FALSE(PlanVerticalBar().shown || PlanHorizontalBar().shown);
  EXPECT_EQ(ViewState.firstColumn, 0);
  RowText row = RowTextForLine(0);  // a blank row
  EXPECT_EQ(std::make_tuple(row.count, row.bytes[0], row.selected), std::make_tuple(1, uint8_t(' '), false));
  const std::tuple<int, int, int> thumbs[] = {
      {0x1234, 0x51234, 0x51234}, {0x1234, 0x51235, 0x1234}, {0xFFFF, -1, 0xFFFF}, {0x10005, 5, 5}};
  for (const auto& [position16, track, wideLine] : thumbs)
    EXPECT_EQ(WidenThumbPosition(position16, track), wideLine) << track;
}

TEST(ViewPainting, OnlyRowsMeetingTheRectangleAreDrawnWithTheirBytesAndHighlight) {
  MakeDocument(100);
  SetViewClientSize(640, 30 * 24 + 10);
  ViewState.firstLine = 10;
  // 30 whole rows and the partial one below; one row; rows straddled.
  const std::tuple<int, int, int, int> cases[] = {
      {0, 30 * 24 + 10, 10, 40}, {29 * 24, 30 * 24, 39, 39}, {0, 24, 10, 10}, {23, 25, 10, 11}, {-5, 24, 10, 10}};
  for (const auto& [top, bottom, from, to] : cases) {
    LineRange range = LinesToPaint(top, bottom);
    EXPECT_EQ(std::tie(range.from, range.to), std::tie(from, to)) << top << ".." << bottom;
  }
  LineRange empty = LinesToPaint(50, 50);
  EXPECT_LT(empty.to, empty.from);
  ViewState.firstColumn = 3;
  EXPECT_EQ(LineLeft(), -24);
  MakeDocument(3);
  EXPECT_FALSE(RowTextForLine(1).selected);
  Selection.anchor = 2;
  Selection.end = 1;
  // The bytes, how many may be read (up to the 0 after the text), and the highlight: none past the end.
  const std::tuple<int, std::string, size_t, bool> rows[] = {
      {0, "x\n", 7, false}, {1, "x\n", 5, true}, {2, "x\n", 3, true}, {3, " ", 2, false}};
  for (const auto& [line, bytes, readable, selected] : rows) {
    RowText row = RowTextForLine(line);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(row.bytes), row.count), bytes) << line;
    EXPECT_EQ(std::tie(row.readable, row.selected), std::tie(readable, selected)) << line;
  }
}

TEST(FrameLayout, TheViewFillsTheClientAndDialogsCentreOverTheirOwner) {
  // A frame shrunk to its caption leaves no room, never a negative size.
  const std::tuple<int, int, bool, int, int, int> cases[] = {{800, 600, true, 29, 800, 571},
                                                             {800, 600, false, 0, 800, 600},
                                                             {0, 10, true, 29, 0, 0},
                                                             {-4, 10, false, 0, 0, 10}};
  for (const auto& [width, height, toolbar, y, viewWidth, viewHeight] : cases) {
    ViewPlacement place = PlaceView(width, height, toolbar, 28);
    EXPECT_EQ(std::tie(place.x, place.y, place.width, place.height), std::make_tuple(0, y, viewWidth, viewHeight))
        << width << "x" << height;
  }
  // Truncated; owner off the left edge; (10 - 200) / 2 truncating to -95;
  // pulled back inside; larger than the screen.
  const std::tuple<int, int, int, int> dialogs[] = {{100, 400, 200, 200},   {100, 401, 200, 200}, {-300, 400, 200, 0},
                                                    {-100, 10, 200, 0},     {900, 400, 200, 824}, {0, 100, 1200, 0},
                                                    {1000, 400, 1200, -176}};
  for (const auto& [ownerStart, ownerSize, dialogSize, start] : dialogs)
    EXPECT_EQ(CentreCoordinate(ownerStart, ownerSize, dialogSize, 1024), start) << ownerStart << " " << dialogSize;
}
