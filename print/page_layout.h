// Where printed lines go on a page: the printable area less the margins is
// cut into slots one printed line high; slot 0 and the last slot stand for
// the header and footer, the body fills the slots between. Every value is in
// the device's own pixels, origin at the top left of the printable area.
#pragma once

#include <cstdint>

// A margin Page Setup has not set, in printer pixels.
constexpr int DefaultMargin = 150;

struct PageMargins {
  int top = DefaultMargin;
  int bottom = DefaultMargin;
  int left = DefaultMargin;
  int right = DefaultMargin;
};

struct PageLayout {
  int pageWidth = 0;  // the printable area
  int pageHeight = 0;
  PageMargins margins;
  int charsPerLine = 0;  // cells of a screen line
  int lineHeight = 0;    // pixel rows of a screen line
  int printWidth = 0;    // pageWidth less the left and right margins
  int printHeight = 0;   // pageHeight less the top and bottom margins
  int printLineHeight = 0;
  int linesPerPage = 0;  // slots, the header's and footer's included
};

// Fills `layout` for one job. Returns 0 when lines can be printed, else the
// message that refuses the job (21): margins wider or taller than the area,
// a printed line of no height, or fewer than three slots (no room for a body
// line between header and footer).
int PlanPage(int pageWidth, int pageHeight, const PageMargins& margins, int charsPerLine, int lineHeight,
             PageLayout* layout);

int BodyLinesPerPage(const PageLayout& layout);

// Pages needed for `lineCount` lines; 0 for none.
int TotalPages(const PageLayout& layout, int lineCount);

// The top of slot `slot` of the body, and of the header and footer lines,
// which sit at the edges of the printable area.
int SlotTop(const PageLayout& layout, int slot);
int HeaderTop(const PageLayout& layout);
int FooterTop(const PageLayout& layout);

// The width on paper of the first `cells` cells of a line: charsPerLine
// cells span printWidth exactly, and cells past them (a double-byte
// character begun in the last cell) run on at the same scale into the right
// margin.
int PrintedCellsWidth(const PageLayout& layout, int cells);

// Where the index-th line of a job lands: page from 1, slot from 1.
struct LinePlace {
  int page = 0;
  int slot = 0;
};
LinePlace PlaceJobLine(const PageLayout& layout, int index);

// The display lines a job prints: all of them, or those between the
// selection's anchor and end in either order, cut at the document's end.
struct PrintRange {
  int first = 0;
  int count = 0;
};
PrintRange LinesToPrint(bool selectionOnly, int anchor, int end, int lineCount);

// What a job does, in order, for the back end that puts it on paper. Lines
// are counted in the document; `which` is 0 for the header, 1 for the footer.
struct PrintSink {
  void* context = nullptr;
  void (*openPage)(void* context, int page) = nullptr;
  void (*printLine)(void* context, int line, int y) = nullptr;
  void (*printHeaderFooter)(void* context, int which, int page) = nullptr;
  void (*closePage)(void* context, int page) = nullptr;
  // Asked before every line; false stops the job there. Null: never stop.
  bool (*goOn)(void* context) = nullptr;
};

// Prints `range` page by page: a page opens with its header, takes body
// lines slot by slot and closes with its footer when full or when the job
// ends or stops. Returns the pages printed.
int PrintPages(const PageLayout& layout, PrintRange range, const PrintSink& sink);
