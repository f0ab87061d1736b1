#include "print/print_job_win32.h"

// After windows.h, which it needs.
#include <commdlg.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "base/dispatch_win32.h"
#include "base/error_messages.h"
#include "base/instance_win32.h"
#include "base/profile_win32.h"
#include "base/prompts.h"
#include "base/settings_values.h"
#include "base/wide_text_win32.h"
#include "document/cells.h"
#include "document/display_line.h"
#include "document/document.h"
#include "document/line_bitmap.h"
#include "print/header_footer.h"
#include "print/print_state.h"
#include "resources/resource_ids.h"

namespace {
constexpr UINT CodePages[] = {936, 950, 932};

// Kept while the program runs, so that the printer chosen and its settings
// are offered again by the next print command.
PRINTDLGA PrintDialogRecord{};

// The page counter of the job under way; null when it could not be made.
HWND abortDialog = nullptr;

// `utf8` in the bytes of code `code` (a CodeTypes value), so that the ZK
// font draws it; a character the code lacks becomes "?". Always terminated.
void CodeBytesFromUtf8(const char* utf8, int code, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return;
  out[0] = '\0';
  std::wstring wide = WideFromUtf8(utf8);
  if (wide.empty()) return;
  if (IsUnicodeCode(code)) {
    const size_t length = std::min(std::strlen(utf8), outSize - 1);
    std::memcpy(out, utf8, length);
    out[length] = '\0';
    return;
  }
  UINT page = CodePages[code >= 0 && code <= 2 ? code : 0];
  int written = WideCharToMultiByte(page, 0, wide.c_str(), -1, out, static_cast<int>(outSize), "?", nullptr);
  // A name too long for `out` is cut, never left unterminated.
  if (written <= 0) out[outSize - 1] = '\0';
}

BOOL CALLBACK PrintAbortProc(HDC, int) {
  if (abortDialog == nullptr) return TRUE;
  MSG message;
  while (!PrintState.userAbort && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageA(abortDialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return PrintState.userAbort ? FALSE : TRUE;
}

int32_t AbortDialogInit(HWND dialog, UINT, WPARAM, LPARAM) {
  CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
  SetFocus(GetDlgItem(dialog, IDCANCEL));
  return TRUE;
}

int32_t AbortDialogPaint(HWND dialog, UINT, WPARAM, LPARAM) {
  PAINTSTRUCT paint;
  BeginPaint(dialog, &paint);
  // The name may be in any script: it reaches the control in UTF-16.
  SetDlgItemTextW(dialog, ZK_ID_PRINT_FILE_NAME, WideFromUtf8(Document.fileName).c_str());
  char page[64];
  std::snprintf(page, sizeof page, "Page: %d/%d", PrintState.currentPage, PrintState.totalPages);
  SetDlgItemTextA(dialog, ZK_ID_PRINT_PAGE, page);
  EndPaint(dialog, &paint);
  return 0;
}

// Any command, Cancel or its keys, stops the job.
int32_t AbortDialogCommand(HWND, UINT, WPARAM, LPARAM) {
  PrintState.userAbort = true;
  return TRUE;
}

const MessageEntry AbortMessageRows[] = {
    {WM_INITDIALOG, AbortDialogInit},
    {WM_PAINT, AbortDialogPaint},
    {WM_COMMAND, AbortDialogCommand},
};
constexpr MessageTable AbortMessages = MakeMessageTable(AbortMessageRows, DefaultNone);

INT_PTR CALLBACK AbortDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  return DispatchByMessage(AbortMessages, dialog, message, wParam, lParam);
}

// Stretches the first charsPerLine cells of `bitmap` across the print width
// at (x, y), and cells past them (up to `cells`) on at the same scale; clear
// bits print black.
void StretchLineToPage(HDC printerDC, HBITMAP bitmap, int x, int y, int cells) {
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return;
  HDC memory = CreateCompatibleDC(printerDC);
  if (memory == nullptr) return;
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const PageLayout& layout = PrintState.layout;
  const int screenWidth = CellWidth * layout.charsPerLine;
  // The DC keeps its default colours, black text on white: the view's
  // colours play no part on paper.
  StretchBlt(printerDC, x, y, layout.printWidth, layout.printLineHeight, memory, 0, 0, screenWidth, info.bmHeight,
             SRCCOPY);
  // A double-byte character begun in the last cell goes on into the margin
  // rather than being cut in half on paper.
  int bitmapCells = info.bmWidth / CellWidth;
  if (cells > bitmapCells) cells = bitmapCells;
  if (cells > layout.charsPerLine) {
    int extraWidth = PrintedCellsWidth(layout, cells) - layout.printWidth;
    StretchBlt(printerDC, x + layout.printWidth, y, extraWidth, layout.printLineHeight, memory, screenWidth, 0,
               CellWidth * (cells - layout.charsPerLine), info.bmHeight, SRCCOPY);
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
}

// Renders `length` bytes of `code` (`readable` of them may be read) and stretches them
// onto the page at (leftMargin, y) through a bitmap of their own, in which
// ink is a clear bit.
void PrintTextLine(HDC printerDC, int code, const uint8_t* bytes, int length, size_t readable, int y) {
  int cells = RenderText(code, bytes, length, readable);
  if (LineBitmap.bits == nullptr) return;
  // A copy of its own, taken before anything can pump messages (the view may
  // render into the line bitmap then), with ink as clear bits: copied as it
  // is, a clear bit takes the page's text colour, black. It gives the page
  // that an inverting copy would, on drivers that ignore raster operations.
  const size_t size = static_cast<size_t>(LineBitmap.bytesPerRow) * LineBitmap.lineHeight;
  Block<uint8_t> inverted = AllocateZeroed<uint8_t>(size);
  if (inverted == nullptr) return;
  for (size_t k = 0; k < size; ++k) inverted[k] = static_cast<uint8_t>(~LineBitmap.bits[k]);
  HBITMAP bitmap = CreateBitmap(CellWidth * LineBitmap.bytesPerRow, LineBitmap.lineHeight, 1, 1, inverted.get());
  if (bitmap == nullptr) return;
  StretchLineToPage(printerDC, bitmap, PrintState.layout.margins.left, y, cells);
  DeleteObject(bitmap);
}

// Prints the header (`which` 0) or footer (1) of page `page`; nothing for an
// empty template.
void PrintHeaderFooter(HDC printerDC, int which, int page) {
  const char* templateText = which == 0 ? PrintState.headerText : PrintState.footerText;
  if (templateText[0] == '\0') return;
  SYSTEMTIME clock{};
  GetLocalTime(&clock);
  LocalTime now{clock.wYear, clock.wMonth, clock.wDay, clock.wHour, clock.wMinute};
  char name[FileNameCapacity];
  CodeBytesFromUtf8(Document.fileName, CodeType, name, sizeof name);
  uint8_t line[MaxCharsPerLine];
  size_t length = ComposeHeaderFooter(templateText, page, name, now, Settings.charsPerLine, line, sizeof line);
  if (length == 0) return;
  int y = which == 0 ? HeaderTop(PrintState.layout) : FooterTop(PrintState.layout);
  PrintTextLine(printerDC, HeaderCodeOf(CodeType), line, static_cast<int>(length), length, y);
}

void OpenPage(void* context, int page) {
  StartPage(static_cast<HDC>(context));
  PrintState.currentPage = page;
  if (abortDialog != nullptr) InvalidateRect(abortDialog, nullptr, TRUE);
}

void PrintBodyLine(void* context, int line, int y) {
  HDC dc = static_cast<HDC>(context);
  DisplayLineBytes row = DisplayLine(line);
  PrintTextLine(dc, CodeType, row.bytes, row.count, row.readable, y);
  // Not every driver calls the abort procedure while a page is drawn; asked
  // after every line, a Cancel takes effect before the next one.
  PrintAbortProc(dc, 0);
}

void PrintEdgeLine(void* context, int which, int page) { PrintHeaderFooter(static_cast<HDC>(context), which, page); }

void ClosePage(void* context, int) { EndPage(static_cast<HDC>(context)); }

bool GoOn(void*) { return !PrintState.userAbort; }

// What every job leaves behind, whichever way it ends: the printer DC
// deleted, the main window enabled, the abort dialog gone.
struct JobEnd {
  HWND owner;
  HDC dc;
  bool disabled = false;
  ~JobEnd() {
    DeleteDC(dc);
    if (disabled) EnableWindow(owner, TRUE);
    if (abortDialog != nullptr) {
      DestroyWindow(abortDialog);
      abortDialog = nullptr;
    }
  }
};

void ReadPageSetup() {
  ReadProfileText("Head", PrintState.headerText, sizeof PrintState.headerText);
  ReadProfileText("Foot", PrintState.footerText, sizeof PrintState.footerText);
}

PageMargins ReadMargins() {
  PageMargins margins;
  margins.top = ReadProfileInteger("TopMargin", DefaultMargin);
  margins.bottom = ReadProfileInteger("BottomMargin", DefaultMargin);
  margins.left = ReadProfileInteger("LeftMargin", DefaultMargin);
  margins.right = ReadProfileInteger("RightMargin", DefaultMargin);
  return margins;
}
}  // namespace

void RunPrintDialog(HWND owner, const PrintRequest& request) {
  PRINTDLGA& record = PrintDialogRecord;
  record.lStructSize = sizeof record;
  record.hwndOwner = owner;
  record.hInstance = AppInstance;
  record.Flags = PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIES | PD_RETURNDC | PD_NOPAGENUMS |
                 (request.hasSelection ? PD_SELECTION : PD_NOSELECTION);
  record.nCopies = 1;
  record.lpfnPrintHook = nullptr;
  record.lpPrintTemplateName = nullptr;
  // The last job deleted its DC: a dialog that returns none must not leave
  // that one looking like an answer.
  record.hDC = nullptr;
  if (!PrintDlgA(&record)) return;
  if (record.hDC == nullptr) {
    ShowErrorBox(owner, ErrorPrinterDc, nullptr, StyleStop);
    return;
  }
  HDC dc = record.hDC;
  record.hDC = nullptr;
  PrintDocument(owner, dc, (record.Flags & PD_SELECTION) != 0 ? request.selection : request.whole);
}

void PrintDocument(HWND owner, HDC printerDC, PrintRange range) {
  JobEnd end{owner, printerDC};
  if (Document.lineCount <= 0) return;
  if ((GetDeviceCaps(printerDC, RASTERCAPS) & RC_STRETCHBLT) == 0) {
    ShowErrorBox(owner, ErrorNoStretchBlt, nullptr, StyleStop);
    return;
  }
  // The view failed to make its line bitmap: there is nothing to draw with.
  if (LineBitmap.bits == nullptr) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StylePlain);
    return;
  }
  ReadPageSetup();
  int refusal = PlanPage(GetDeviceCaps(printerDC, HORZRES), GetDeviceCaps(printerDC, VERTRES), ReadMargins(),
                         Settings.charsPerLine, LineBitmap.lineHeight, &PrintState.layout);
  if (refusal != 0) {
    ShowErrorBox(owner, refusal, nullptr, StyleStop);
    return;
  }
  PrintState.totalPages = TotalPages(PrintState.layout, range.count);
  PrintState.currentPage = 1;

  EnableWindow(owner, FALSE);
  end.disabled = true;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  SetAbortProc(printerDC, PrintAbortProc);
  PrintState.userAbort = false;
  abortDialog = CreateDialogParamA(AppInstance, "ABORTDLG", owner, AbortDialogProc, 0);
  if (abortDialog == nullptr) {
    SetCursor(LoadCursorA(nullptr, IDC_ARROW));
    ShowErrorBox(owner, ErrorAbortDialog, nullptr, StylePlain);
  }
  SetCursor(LoadCursorA(nullptr, IDC_ARROW));

  DOCINFOA document{};
  document.cbSize = sizeof document;
  document.lpszDocName = "ZK Print";
  if (StartDocA(printerDC, &document) <= 0) {
    ShowErrorBox(owner, ErrorPrintNotStarted, nullptr, StyleStop);
    return;
  }
  if (abortDialog != nullptr) ShowWindow(abortDialog, SW_SHOWNORMAL);

  PrintSink sink;
  sink.context = printerDC;
  sink.openPage = OpenPage;
  sink.printLine = PrintBodyLine;
  sink.printHeaderFooter = PrintEdgeLine;
  sink.closePage = ClosePage;
  sink.goOn = GoOn;
  PrintPages(PrintState.layout, range, sink);
  EndDoc(printerDC);
}
