#include <gtest/gtest.h>

#include "document/document.h"
#include "document/line_index.h"
#include "shell/selection.h"
#include "shell/settings_values.h"
#include "shell/view_scroll.h"
#include "shell/view_state.h"
#include "tests/test_support.h"

namespace {
// A document of `lines` display lines of "x" LF, in a view `width` x
// `height` pixels (rows of 24 pixels by default).
void MakeView(int lines, int width, int height) {
  ResetCoreState();
  std::string text;
  for (int i = 0; i < lines; ++i) text += "x\n";
  ASSERT_TRUE(PutDocumentText(nullptr, reinterpret_cast<const uint8_t*>(text.data()), text.size()));
  ASSERT_TRUE(BuildLineIndex(nullptr, static_cast<uint32_t>(text.size())));
  ASSERT_EQ(Document.lineCount, lines);
  SetViewClientSize(width, height);
}

int Key(int virtualKey, bool control = false) {
  ScrollKey key;
  if (!ScrollRequestForKey(virtualKey, control, &key)) return -1;
  if (key.bar == ScrollVertical) return ScrollVertically(key.request, 0);
  return ScrollHorizontally(key.request, 0) ? 1 : 0;
}

constexpr int PageUp = 33, PageDown = 34, End = 35, Home = 36, Left = 37, Up = 38, Right = 39, Down = 40;
}  // namespace

TEST(ViewGeometry, RowsAndColumnsAreWholeAndSizesKeepSixteenBits) {
  ResetCoreState();
  SetViewClientSize(645, 730);
  EXPECT_EQ(ViewState.visibleColumns, 80);
  EXPECT_EQ(ViewState.visibleRows, 30);  // 730 / 24
  Settings.lineSpacing = 16;
  SetViewClientSize(0x10000 + 100, 64);
  EXPECT_EQ(ViewState.clientWidth, 100);
  EXPECT_EQ(ViewState.visibleRows, 2);  // rows of 32 pixels
  Settings.lineSpacing = 0;             // read back as 2: rows of 18
  EXPECT_EQ(ViewLineHeight(), 18);
  ResetCoreState();
}

TEST(ViewScrolling, HundredLinesInThirtyRowsFollowThePageRules) {
  MakeView(100, 640, 30 * 24 + 10);
  ASSERT_EQ(ViewState.visibleRows, 30);
  ScrollBarPlan bar = PlanVerticalBar();
  EXPECT_TRUE(bar.shown);
  EXPECT_EQ(bar.maximum, 70);
  EXPECT_EQ(Key(End), ScrollEffectRepaint);
  EXPECT_EQ(ViewState.firstLine, 70);
  EXPECT_EQ(Key(Home), ScrollEffectRepaint);
  EXPECT_EQ(ViewState.firstLine, 0);
  Key(PageDown);
  EXPECT_EQ(ViewState.firstLine, 29);  // the old last whole row is the new top
  Key(PageUp);
  EXPECT_EQ(ViewState.firstLine, 0);
  // Page Down may run past lineCount - visibleRows; rows below are blank.
  Key(PageDown);
  Key(PageDown);
  Key(PageDown);
  EXPECT_EQ(ViewState.firstLine, 87);
  EXPECT_EQ(Key(PageDown), ScrollEffectNone);
  EXPECT_EQ(ViewState.firstLine, 87);
}

TEST(ViewScrolling, LineStepsStopAtBothEndsAndMoveOneRow) {
  MakeView(100, 640, 720);
  EXPECT_EQ(Key(Up), ScrollEffectNone);
  EXPECT_EQ(ViewState.firstLine, 0);
  EXPECT_EQ(Key(Down), ScrollEffectRowUp);
  EXPECT_EQ(ViewState.firstLine, 1);
  EXPECT_EQ(Key(Up), ScrollEffectRowDown);
  EXPECT_EQ(ViewState.firstLine, 0);
  ViewState.firstLine = 70;
  EXPECT_EQ(Key(Down), ScrollEffectNone);
  EXPECT_EQ(ViewState.firstLine, 70);
}

TEST(ViewScrolling, ShortDocumentNeverMovesAndShowsNoBar) {
  MakeView(5, 640, 720);
  for (int key : {End, PageDown, PageUp, Home, Down}) {
    Key(key);
    EXPECT_EQ(ViewState.firstLine, 0) << key;
  }
  ScrollBarPlan bar = PlanVerticalBar();
  EXPECT_FALSE(bar.shown);
  EXPECT_EQ(bar.maximum, 0);
}

TEST(ViewScrolling, ThumbSetsTheLineAndNothingGoesBelowZero) {
  MakeView(100, 640, 720);
  ScrollVertically(ScrollThumbTrack, 42);
  EXPECT_EQ(ViewState.firstLine, 42);
  ScrollVertically(ScrollThumbPosition, 7);
  EXPECT_EQ(ViewState.firstLine, 7);
  EXPECT_EQ(ScrollVertically(99, 0), ScrollEffectNone);
  EXPECT_EQ(ViewState.firstLine, 7);
  // A view lower than one row still pages by one line and never below 0.
  SetViewClientSize(640, 10);
  ASSERT_EQ(ViewState.visibleRows, 0);
  Key(PageDown);
  EXPECT_EQ(ViewState.firstLine, 8);
  Key(PageUp);
  Key(PageUp);
  EXPECT_EQ(ViewState.firstLine, 6);
  ViewState.firstLine = 0;
  Key(PageUp);
  Key(End);
  EXPECT_EQ(ViewState.firstLine, 100);
  SetViewClientSize(640, 240);
  ViewState.firstLine = 3;
  Key(PageUp);
  EXPECT_EQ(ViewState.firstLine, 0);
}

TEST(ViewScrolling, WideThumbPositionsReachLinesPastSixteenBits) {
  EXPECT_EQ(WidenThumbPosition(0x1234, 0x51234), 0x51234);
  EXPECT_EQ(WidenThumbPosition(0x1234, 0x51235), 0x1234);
  EXPECT_EQ(WidenThumbPosition(0xFFFF, -1), 0xFFFF);
  EXPECT_EQ(WidenThumbPosition(0x10005, 5), 5);
}

TEST(ViewScrolling, EightyCellsInSeventyFiveColumns) {
  MakeView(10, 600, 240);
  ASSERT_EQ(ViewState.visibleColumns, 75);
  ScrollBarPlan bar = PlanHorizontalBar();
  EXPECT_TRUE(bar.shown);
  EXPECT_EQ(bar.maximum, 5);
  EXPECT_EQ(Key(Right, true), 1);
  EXPECT_EQ(ViewState.firstColumn, 5);  // 74 capped at 5
  EXPECT_EQ(Key(Right), 0);
  EXPECT_EQ(ViewState.firstColumn, 5);
  EXPECT_EQ(Key(Left), 1);
  EXPECT_EQ(ViewState.firstColumn, 4);
  EXPECT_EQ(Key(Left, true), 1);
  EXPECT_EQ(ViewState.firstColumn, 0);
  EXPECT_EQ(Key(Left), 0);
  EXPECT_TRUE(ScrollHorizontally(ScrollLineDown, 0));  // the bar's right arrow
  EXPECT_EQ(ViewState.firstColumn, 1);
  EXPECT_TRUE(ScrollHorizontally(ScrollLineUp, 0));
  EXPECT_FALSE(ScrollHorizontally(ScrollTop, 0));  // already at the left
  EXPECT_TRUE(ScrollHorizontally(ScrollBottom, 0));
  EXPECT_EQ(ViewState.firstColumn, 5);
  EXPECT_TRUE(ScrollHorizontally(ScrollTop, 0));
  EXPECT_EQ(ViewState.firstColumn, 0);
  EXPECT_FALSE(ScrollHorizontally(ScrollThumbPosition, 3));
  EXPECT_TRUE(ScrollHorizontally(ScrollThumbTrack, 3));
  EXPECT_EQ(ViewState.firstColumn, 3);
  // Widened past the line, the bar goes and the view returns to column 0.
  SetViewClientSize(800, 240);
  EXPECT_FALSE(PlanHorizontalBar().shown);
  EXPECT_EQ(ViewState.firstColumn, 0);
}

TEST(ViewScrolling, NoDocumentHidesBothBarsAndDrawsBlankRows) {
  ResetCoreState();
  SetViewClientSize(300, 240);
  ViewState.firstColumn = 4;
  EXPECT_FALSE(PlanVerticalBar().shown);
  EXPECT_FALSE(PlanHorizontalBar().shown);
  EXPECT_EQ(ViewState.firstColumn, 0);
  RowText row = RowTextForLine(0);
  ASSERT_EQ(row.count, 1);
  EXPECT_EQ(row.bytes[0], ' ');
  EXPECT_FALSE(row.selected);
}

TEST(ViewKeys, OnlyNavigationKeysScroll) {
  ScrollKey key;
  EXPECT_FALSE(ScrollRequestForKey(13, false, &key));
  EXPECT_FALSE(ScrollRequestForKey(0x51, true, &key));
  ASSERT_TRUE(ScrollRequestForKey(Left, false, &key));
  EXPECT_EQ(key.bar, ScrollHorizontal);
  EXPECT_EQ(key.request, ScrollLineUp);
  ASSERT_TRUE(ScrollRequestForKey(Down, true, &key));
  EXPECT_EQ(key.bar, ScrollVertical);
  EXPECT_EQ(key.request, ScrollLineDown);
}

TEST(ViewPainting, OnlyRowsMeetingTheRectangleAreDrawn) {
  MakeView(100, 640, 30 * 24 + 10);
  ViewState.firstLine = 10;
  LineRange all = LinesToPaint(0, 30 * 24 + 10);
  EXPECT_EQ(all.from, 10);
  EXPECT_EQ(all.to, 40);  // 30 whole rows and the partial one below
  LineRange one = LinesToPaint(29 * 24, 30 * 24);
  EXPECT_EQ(one.from, 39);
  EXPECT_EQ(one.to, 39);
  LineRange top = LinesToPaint(0, 24);
  EXPECT_EQ(top.from, 10);
  EXPECT_EQ(top.to, 10);
  LineRange straddling = LinesToPaint(23, 25);
  EXPECT_EQ(straddling.from, 10);
  EXPECT_EQ(straddling.to, 11);
  LineRange empty = LinesToPaint(50, 50);
  EXPECT_LT(empty.to, empty.from);
  ViewState.firstColumn = 3;
  EXPECT_EQ(LineLeft(), -24);
}

TEST(ViewPainting, RowsShowTheirLineBytesSelectedOrBlankPastTheEnd) {
  MakeView(3, 640, 240);
  RowText row = RowTextForLine(1);
  ASSERT_EQ(row.count, 2);
  EXPECT_EQ(row.bytes[0], 'x');
  EXPECT_EQ(row.bytes[1], '\n');
  EXPECT_EQ(row.readable, 5u);  // the rest of the text and the 0 after it
  Selection.anchor = 2;
  Selection.end = 1;
  EXPECT_TRUE(RowTextForLine(1).selected);
  EXPECT_TRUE(RowTextForLine(2).selected);
  EXPECT_FALSE(RowTextForLine(0).selected);
  RowText past = RowTextForLine(3);
  EXPECT_EQ(past.count, 1);
  EXPECT_EQ(past.bytes[0], ' ');
  EXPECT_FALSE(past.selected);  // a selection reaching lineCount draws no highlight
  ResetCoreState();
}
