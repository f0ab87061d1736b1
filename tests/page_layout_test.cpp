#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "print/page_layout.h"

namespace {
struct GeometryRow {
  int pageWidth, pageHeight;
  PageMargins margins;
  int charsPerLine, lineHeight;
  int refusal, printLineHeight, linesPerPage;
  int lineCount, pages, linesOnLastPage;
};

const PageMargins Default;

TEST(PageLayout, GeometryAndRefusals) {
  const GeometryRow rows[] = {
      // The worked example: 35 body lines a page, 100 lines on 3 pages.
      {2400, 3300, Default, 80, 24, 0, 79, 37, 100, 3, 30},
      {2400, 3300, Default, 80, 24, 0, 79, 37, 35, 1, 35},
      {2400, 3300, Default, 80, 24, 0, 79, 37, 36, 2, 1},
      // A letter page's printable area at 300 dpi.
      {2450, 3200, Default, 80, 24, 0, 81, 35, 100, 4, 1},
      {2450, 3200, Default, 512, 18, 0, 9, 322, 1000, 4, 40},
      // Half a pixel rounds up, less rounds down.
      {40, 3300, {150, 150, 0, 0}, 80, 24, 0, 2, 1500, 1, 1, 1},
      {39, 3300, {150, 150, 0, 0}, 80, 24, 0, 1, 3000, 1, 1, 1},
      // Three slots are the fewest: header, one body line, footer.
      {2400, 537, Default, 80, 24, 0, 79, 3, 2, 2, 1},
      {2400, 536, Default, 80, 24, 21, 79, 2, 0, 0, 0},
      // Margins filling the width leave lines of no height.
      {2400, 3300, {150, 150, 1200, 1200}, 80, 24, 21, 0, 0, 0, 0, 0},
      {2400, 3300, {150, 150, 2000, 2000}, 80, 24, 21, 0, 0, 0, 0, 0},
      {2400, 3300, {2000, 2000, 150, 150}, 80, 24, 21, 0, 0, 0, 0, 0},
      // Typed margins can be any number; none wraps round into a page.
      {2400, 3300, {150, 150, INT_MIN, INT_MIN}, 80, 24, 21, 0, 0, 0, 0, 0},
      {2400, 3300, {150, 150, INT_MAX, 150}, 80, 24, 21, 0, 0, 0, 0, 0},
  };
  for (const GeometryRow& row : rows) {
    SCOPED_TRACE(std::to_string(row.pageWidth) + " x " + std::to_string(row.pageHeight) + ", left " +
                 std::to_string(row.margins.left) + ", " + std::to_string(row.charsPerLine) + " cells");
    PageLayout layout;
    EXPECT_EQ(PlanPage(row.pageWidth, row.pageHeight, row.margins, row.charsPerLine, row.lineHeight, &layout),
              row.refusal);
    if (row.refusal != 0) continue;
    EXPECT_EQ(layout.printLineHeight, row.printLineHeight);
    EXPECT_EQ(layout.linesPerPage, row.linesPerPage);
    EXPECT_EQ(TotalPages(layout, row.lineCount), row.pages);
    LinePlace last = PlaceJobLine(layout, row.lineCount - 1);
    EXPECT_EQ(last.page, row.pages);
    EXPECT_EQ(last.slot, row.linesOnLastPage);
  }
}

TEST(PageLayout, WhereLinesHeaderAndFooterSit) {
  PageLayout layout;
  ASSERT_EQ(PlanPage(2400, 3300, {100, 200, 150, 150}, 80, 24, &layout), 0);
  EXPECT_EQ(HeaderTop(layout), 0);
  EXPECT_EQ(FooterTop(layout), 3300 - 79);
  EXPECT_EQ(SlotTop(layout, 1), 100 + 79);
  // The last body slot ends above the bottom margin, and so above the footer.
  EXPECT_LE(SlotTop(layout, layout.linesPerPage - 1), 3300 - 200);
  // The screen width spans the print width; cells past it go on at that scale.
  EXPECT_EQ(PrintedCellsWidth(layout, 80), 2100);
  EXPECT_EQ(PrintedCellsWidth(layout, 40), 1050);
  EXPECT_EQ(PrintedCellsWidth(layout, 82), 2153);
}

TEST(PageLayout, LinesASelectionPrints) {
  struct Row {
    bool selectionOnly;
    int anchor, end, lineCount;
    int first, count;
  } rows[] = {
      {false, -1, -1, 100, 0, 100}, {false, 40, 10, 100, 0, 100}, {true, 39, 9, 100, 9, 31},
      {true, 9, 39, 100, 9, 31},    {true, 5, 5, 100, 5, 1},      {true, 90, 120, 100, 90, 10},
      {true, 120, 90, 100, 90, 10}, {true, 100, 130, 100, 0, 0},  {true, -1, -1, 100, 0, 0},
      {false, -1, -1, 0, 0, 0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::to_string(row.anchor) + " to " + std::to_string(row.end));
    PrintRange range = LinesToPrint(row.selectionOnly, row.anchor, row.end, row.lineCount);
    EXPECT_EQ(range.count, row.count);
    if (row.count > 0) {
      EXPECT_EQ(range.first, row.first);
    }
  }
}

// The calls of a job written out: "[1 H L3@10 L4@15 F]" is page 1 with its
// header, lines 3 and 4 at y 10 and 15, its footer.
struct Recorder {
  std::string calls;
  int stopBefore = -1;  // lines printed before a cancel
  int printed = 0;
};

PrintSink RecordingSink(Recorder* recorder) {
  PrintSink sink;
  sink.context = recorder;
  sink.openPage = [](void* c, int page) {
    auto* r = static_cast<Recorder*>(c);
    r->calls += '[';
    r->calls += std::to_string(page);
  };
  sink.printLine = [](void* c, int line, int y) {
    auto* r = static_cast<Recorder*>(c);
    r->calls += " L" + std::to_string(line) + "@" + std::to_string(y);
    ++r->printed;
  };
  sink.printHeaderFooter = [](void* c, int which, int) {
    static_cast<Recorder*>(c)->calls += which == 0 ? " H" : " F";
  };
  sink.closePage = [](void* c, int) { static_cast<Recorder*>(c)->calls += "]"; };
  sink.goOn = [](void* c) {
    auto* r = static_cast<Recorder*>(c);
    return r->stopBefore < 0 || r->printed < r->stopBefore;
  };
  return sink;
}

TEST(PageLayout, AJobPagePerPage) {
  // Five slots of 10 pixels below a top margin of 5: three body lines a page.
  PageLayout layout;
  ASSERT_EQ(PlanPage(64, 60, {5, 5, 0, 0}, 8, 10, &layout), 0);
  ASSERT_EQ(layout.linesPerPage, 5);
  struct Row {
    PrintRange range;
    int stopBefore;
    int pages;
    const char* calls;
  } rows[] = {
      {{0, 1}, -1, 1, "[1 H L0@15 F]"},
      {{0, 3}, -1, 1, "[1 H L0@15 L1@25 L2@35 F]"},
      {{7, 4}, -1, 2, "[1 H L7@15 L8@25 L9@35 F][2 H L10@15 F]"},
      // A cancel ends the open page with its footer and starts no other.
      {{0, 9}, 4, 2, "[1 H L0@15 L1@25 L2@35 F][2 H L3@15 F]"},
      {{0, 9}, 3, 1, "[1 H L0@15 L1@25 L2@35 F]"},
      {{0, 9}, 0, 0, ""},
      {{0, 0}, -1, 0, ""},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.calls);
    Recorder recorder;
    recorder.stopBefore = row.stopBefore;
    EXPECT_EQ(PrintPages(layout, row.range, RecordingSink(&recorder)), row.pages);
    EXPECT_EQ(recorder.calls, row.calls);
  }
}
}  // namespace
