#include <gtest/gtest.h>

#include <climits>
#include <cstdio>
#include <string>
#include <tuple>

#include "print/page_layout.h"

namespace {
const PageMargins Default;

TEST(PageLayout, GeometryAndRefusals) {
  struct Row {
    int pageWidth, pageHeight;
    PageMargins margins;
    int charsPerLine, lineHeight, refusal, printLineHeight, linesPerPage, lineCount, pages, linesOnLastPage,
        widerLine;  // on paper, of a line two cells wider than the screen
  } rows[] = {
      // The worked example: 35 body lines a page, 100 lines on 3 pages.
      {2400, 3300, Default, 80, 24, 0, 79, 37, 100, 3, 30, 2153},
      {2400, 3300, {100, 200, 150, 150}, 80, 24, 0, 79, 37, 36, 2, 1, 2153},
      // A letter page's printable area at 300 dpi.
      {2450, 3200, Default, 80, 24, 0, 81, 35, 100, 4, 1, 2204},
      {2450, 3200, Default, 512, 18, 0, 9, 322, 1000, 4, 40, 2158},
      // Half a pixel rounds up, less rounds down.
      {40, 3300, {150, 150, 0, 0}, 80, 24, 0, 2, 1500, 1, 1, 1, 41},
      {39, 3300, {150, 150, 0, 0}, 80, 24, 0, 1, 3000, 1, 1, 1, 40},
      // Three slots are the fewest: header, one body line, footer.
      {2400, 537, Default, 80, 24, 0, 79, 3, 2, 2, 1, 2153},
      {2400, 536, Default, 80, 24, 21, 0, 0, 0, 0, 0, 0},
      // Margins filling the width, or no cells or rows, leave lines of no height.
      {2400, 3300, {150, 150, 1200, 1200}, 80, 24, 21, 0, 0, 0, 0, 0, 0},
      {2400, 3300, {150, 150, 2000, 2000}, 80, 24, 21, 0, 0, 0, 0, 0, 0},
      {2400, 3300, {2000, 2000, 150, 150}, 80, 24, 21, 0, 0, 0, 0, 0, 0},
      {2400, 3300, Default, 0, 24, 21, 0, 0, 0, 0, 0, 0},
      {2400, 3300, Default, 80, 0, 21, 0, 0, 0, 0, 0, 0},
      // Typed margins can be any number; none wraps round into a page.
      {2400, 3300, {150, 150, INT_MIN, INT_MIN}, 80, 24, 21, 0, 0, 0, 0, 0, 0},
      {2400, 3300, {150, 150, INT_MAX, 150}, 80, 24, 21, 0, 0, 0, 0, 0, 0},
      {2400, 3300, {INT_MIN, INT_MIN, 150, 150}, 80, 24, 21, 0, 0, 0, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(testing::Message() << "row " << &row - rows);
    PageLayout layout;
    EXPECT_EQ(PlanPage(row.pageWidth, row.pageHeight, row.margins, row.charsPerLine, row.lineHeight, &layout),
              row.refusal);
    if (row.refusal != 0) continue;
    EXPECT_EQ(layout.printLineHeight, row.printLineHeight);
    EXPECT_EQ(layout.linesPerPage, row.linesPerPage);
    EXPECT_EQ(TotalPages(layout, row.lineCount), row.pages);
    EXPECT_EQ(TotalPages(layout, 0), 0);
    LinePlace last = PlaceJobLine(layout, row.lineCount - 1);
    EXPECT_EQ(last.page, row.pages);
    EXPECT_EQ(last.slot, row.linesOnLastPage);
    // Header and footer at the printable area's edges; the body ends above the bottom margin and the footer.
    EXPECT_EQ(HeaderTop(layout), 0);
    EXPECT_EQ(FooterTop(layout), row.pageHeight - row.printLineHeight);
    EXPECT_LE(SlotTop(layout, layout.linesPerPage - 1), row.pageHeight - row.margins.bottom);
    // The screen width spans the print width; cells past it go on at that scale.
    EXPECT_EQ(PrintedCellsWidth(layout, row.charsPerLine), layout.printWidth);
    EXPECT_EQ(PrintedCellsWidth(layout, row.charsPerLine + 2), row.widerLine);
  }
}

TEST(PageLayout, LinesASelectionPrints) {
  // Selection only, anchor, end, lines; the first line printed and how many.
  const std::tuple<bool, int, int, int, int, int> rows[] = {
      {false, -1, -1, 100, 0, 100}, {false, 40, 10, 100, 0, 100}, {true, 39, 9, 100, 9, 31},
      {true, 9, 39, 100, 9, 31},    {true, 5, 5, 100, 5, 1},      {true, 90, 120, 100, 90, 10},
      {true, 120, 90, 100, 90, 10}, {true, 100, 130, 100, 0, 0},  {true, -1, -1, 100, 0, 0},
      {true, 5, -1, 100, 0, 0},     {false, -1, -1, 0, 0, 0},
  };
  for (auto [selectionOnly, anchor, end, lineCount, first, count] : rows) {
    PrintRange range = LinesToPrint(selectionOnly, anchor, end, lineCount);
    EXPECT_EQ(range.first, first) << anchor << " to " << end;
    EXPECT_EQ(range.count, count) << anchor << " to " << end;
  }
}

// The calls of a job written out: " P1 H1 L3@10 L4@15 F1 E1" is page 1 opened, its header, lines 3 and 4 at
// y 10 and 15, its footer, the page closed. goOn refuses a line once LinesLeft have been printed.
std::string Calls;
int LinesLeft;

void Note(void* context, char what, int n, int y = -1) {
  char note[32];
  std::snprintf(note, sizeof note, y < 0 ? " %c%d" : " %c%d@%d", what, n, y);
  *static_cast<std::string*>(context) += note;
}

TEST(PageLayout, AJobPageByPage) {
  // Five slots of 10 pixels below a top margin of 5: three body lines a page.
  PageLayout layout;
  ASSERT_EQ(PlanPage(64, 60, {5, 5, 0, 0}, 8, 10, &layout), 0);
  PrintSink sink;
  sink.context = &Calls;
  sink.openPage = [](void* c, int page) { Note(c, 'P', page); };
  sink.printLine = [](void* c, int line, int y) { Note(c, 'L', line, y), --LinesLeft; };
  sink.printHeaderFooter = [](void* c, int which, int page) { Note(c, which == 0 ? 'H' : 'F', page); };
  sink.closePage = [](void* c, int page) { Note(c, 'E', page); };
  sink.goOn = [](void*) { return LinesLeft != 0; };
  // The lines of the job, how many goOn lets through (-1: all); pages, calls.
  const std::tuple<PrintRange, int, int, const char*> rows[] = {
      {{0, 1}, -1, 1, " P1 H1 L0@15 F1 E1"},
      {{0, 3}, -1, 1, " P1 H1 L0@15 L1@25 L2@35 F1 E1"},
      {{7, 4}, -1, 2, " P1 H1 L7@15 L8@25 L9@35 F1 E1 P2 H2 L10@15 F2 E2"},
      // A cancel ends the open page with its footer and starts no other.
      {{0, 9}, 4, 2, " P1 H1 L0@15 L1@25 L2@35 F1 E1 P2 H2 L3@15 F2 E2"},
      {{0, 9}, 3, 1, " P1 H1 L0@15 L1@25 L2@35 F1 E1"},
      {{0, 9}, 0, 0, ""},
      {{0, 0}, -1, 0, ""},
  };
  for (auto [range, stopAfter, pages, calls] : rows) {
    Calls.clear();
    LinesLeft = stopAfter;
    EXPECT_EQ(PrintPages(layout, range, sink), pages) << calls;
    EXPECT_EQ(Calls, calls);
  }
}
}  // namespace
