#include "print/page_layout.h"

#include <climits>

#include "base/error_messages.h"
#include "document/cells.h"

namespace {
// The height of a printed line: the screen line scaled by the factor that
// puts charsPerLine cells across printWidth, rounded half up; 0 when the
// arguments make no line.
int PrintLineHeight(int printWidth, int charsPerLine, int lineHeight) {
  if (printWidth <= 0 || charsPerLine <= 0 || lineHeight <= 0) return 0;
  // In this order, in double precision, so that every device rounds alike.
  double height = static_cast<double>(printWidth) / (static_cast<double>(charsPerLine) * CellWidth) * lineHeight + 0.5;
  if (height >= static_cast<double>(INT_MAX)) return INT_MAX;
  return static_cast<int>(height);
}
}  // namespace

int PlanPage(int pageWidth, int pageHeight, const PageMargins& margins, int charsPerLine, int lineHeight,
             PageLayout* layout) {
  *layout = PageLayout{};
  layout->pageWidth = pageWidth;
  layout->pageHeight = pageHeight;
  layout->margins = margins;
  layout->charsPerLine = charsPerLine;
  layout->lineHeight = lineHeight;
  // Margins come from typed text: any int, so the sums are taken wide.
  long long width = static_cast<long long>(pageWidth) - margins.left - margins.right;
  long long height = static_cast<long long>(pageHeight) - margins.top - margins.bottom;
  if (width < 0 || height < 0 || width > INT_MAX || height > INT_MAX) return ErrorMarginTooBig;
  layout->printWidth = static_cast<int>(width);
  layout->printHeight = static_cast<int>(height);
  layout->printLineHeight = PrintLineHeight(layout->printWidth, charsPerLine, lineHeight);
  if (layout->printLineHeight == 0) return ErrorMarginTooBig;
  layout->linesPerPage = layout->printHeight / layout->printLineHeight;
  // A page needs a body slot between the header's and the footer's.
  if (layout->linesPerPage < 3) return ErrorMarginTooBig;
  return 0;
}

int BodyLinesPerPage(const PageLayout& layout) { return layout.linesPerPage - 2; }

int TotalPages(const PageLayout& layout, int lineCount) {
  int body = BodyLinesPerPage(layout);
  if (lineCount <= 0 || body <= 0) return 0;
  return static_cast<int>((static_cast<long long>(lineCount) + body - 1) / body);
}

int SlotTop(const PageLayout& layout, int slot) {
  return static_cast<int>(static_cast<long long>(layout.margins.top) +
                          static_cast<long long>(slot) * layout.printLineHeight);
}

int HeaderTop(const PageLayout&) { return 0; }

int FooterTop(const PageLayout& layout) { return layout.pageHeight - layout.printLineHeight; }

int PrintedCellsWidth(const PageLayout& layout, int cells) {
  if (layout.charsPerLine <= 0 || cells <= 0) return 0;
  long long twice = 2LL * cells * layout.printWidth + layout.charsPerLine;
  return static_cast<int>(twice / (2LL * layout.charsPerLine));
}

LinePlace PlaceJobLine(const PageLayout& layout, int index) {
  int body = BodyLinesPerPage(layout);
  if (body <= 0 || index < 0) return {};
  return {index / body + 1, index % body + 1};
}

PrintRange LinesToPrint(bool selectionOnly, int anchor, int end, int lineCount) {
  PrintRange range;
  if (lineCount <= 0) return range;
  int first = 0;
  int last = lineCount - 1;
  if (selectionOnly) {
    if (anchor < 0 || end < 0) return range;
    first = anchor < end ? anchor : end;
    last = anchor < end ? end : anchor;
    if (last > lineCount - 1) last = lineCount - 1;
  }
  if (first > last) return range;
  range.first = first;
  range.count = last - first + 1;
  return range;
}

int PrintPages(const PageLayout& layout, PrintRange range, const PrintSink& sink) {
  if (layout.linesPerPage < 3 || range.count <= 0) return 0;
  int page = 1;
  int slot = 0;
  for (int i = range.first; i < range.first + range.count; ++i) {
    if (sink.goOn != nullptr && !sink.goOn(sink.context)) break;
    if (slot == 0) {
      slot = 1;
      if (sink.openPage != nullptr) sink.openPage(sink.context, page);
      if (sink.printHeaderFooter != nullptr) sink.printHeaderFooter(sink.context, 0, page);
    }
    if (sink.printLine != nullptr) sink.printLine(sink.context, i, SlotTop(layout, slot));
    ++slot;
    if (slot >= layout.linesPerPage - 1) {
      slot = 0;
      if (sink.printHeaderFooter != nullptr) sink.printHeaderFooter(sink.context, 1, page);
      if (sink.closePage != nullptr) sink.closePage(sink.context, page);
      ++page;
    }
  }
  // A page still open ends with its footer; a full last page left none open.
  if (slot != 0) {
    if (sink.printHeaderFooter != nullptr) sink.printHeaderFooter(sink.context, 1, page);
    if (sink.closePage != nullptr) sink.closePage(sink.context, page);
    ++page;
  }
  return page - 1;
}
