#include "print/print_job_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "document/document.h"
#include "document/line_bitmap.h"
#include "print/header_footer.h"
#include "resources/resource_ids.h"
#include "shell/dispatch_win32.h"
#include "shell/error_messages.h"
#include "shell/frame_win32.h"
#include "shell/prompts.h"
#include "shell/selection.h"
#include "shell/settings_file_win32.h"
#include "shell/settings_values.h"
#include "shell/view_scroll.h"
#include "shell/wide_text_win32.h"

PrintStateRecord PrintState;
PRINTDLGA PrintDialogRecord{};

namespace {
constexpr int DefaultMargin = 150;
constexpr UINT CodePages[] = {936, 950, 932};

void OpenPage(void* context, int page) {
  StartPage(static_cast<HDC>(context));
  PrintState.currentPage = page;
  if (PrintState.abortDialog != nullptr) InvalidateRect(PrintState.abortDialog, nullptr, TRUE);
}

void PrintBodyLine(void* context, int line, int y) {
  HDC dc = static_cast<HDC>(context);
  RowText row = RowTextForLine(line);
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
    if (PrintState.abortDialog != nullptr) {
      DestroyWindow(PrintState.abortDialog);
      PrintState.abortDialog = nullptr;
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

int32_t ShowPrintDialog(HWND owner, WPARAM, WPARAM, LPARAM) {
  PRINTDLGA& record = PrintDialogRecord;
  record.lStructSize = sizeof record;
  record.hwndOwner = owner;
  record.hInstance = AppInstance;
  record.Flags = PD_HIDEPRINTTOFILE | PD_USEDEVMODECOPIES | PD_RETURNDC | PD_NOPAGENUMS |
                 (HasSelection() ? PD_SELECTION : PD_NOSELECTION);
  record.nCopies = 1;
  record.lpfnPrintHook = nullptr;
  record.lpPrintTemplateName = nullptr;
  // The last job deleted its DC: a dialog that returns none must not leave
  // that one looking like an answer.
  record.hDC = nullptr;
  if (!PrintDlgA(&record)) return 0;
  if (record.hDC == nullptr) {
    ShowErrorBox(owner, ErrorPrinterDc, nullptr, StyleStop);
    return 0;
  }
  HDC dc = record.hDC;
  record.hDC = nullptr;
  PrintDocument(owner, dc, (record.Flags & PD_SELECTION) != 0);
  return 0;
}

void PrintDocument(HWND owner, HDC printerDC, bool selectionOnly) {
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
  PrintRange range = LinesToPrint(selectionOnly, Selection.anchor, Selection.end, Document.lineCount);
  PrintState.totalPages = TotalPages(PrintState.layout, range.count);
  PrintState.currentPage = 1;

  EnableWindow(owner, FALSE);
  end.disabled = true;
  SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  SetAbortProc(printerDC, PrintAbortProc);
  PrintState.userAbort = false;
  PrintState.abortDialog = CreateDialogParamA(AppInstance, "ABORTDLG", owner, AbortDialogProc, 0);
  if (PrintState.abortDialog == nullptr) {
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
  if (PrintState.abortDialog != nullptr) ShowWindow(PrintState.abortDialog, SW_SHOWNORMAL);

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
  HBITMAP bitmap = CreateBitmap(8 * LineBitmap.bytesPerRow, LineBitmap.lineHeight, 1, 1, inverted.get());
  if (bitmap == nullptr) return;
  StretchLineToPage(printerDC, bitmap, PrintState.layout.margins.left, y, cells);
  DeleteObject(bitmap);
}

void StretchLineToPage(HDC printerDC, HBITMAP bitmap, int x, int y, int cells) {
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return;
  HDC memory = CreateCompatibleDC(printerDC);
  if (memory == nullptr) return;
  HGDIOBJ previous = SelectObject(memory, bitmap);
  const PageLayout& layout = PrintState.layout;
  const int screenWidth = 8 * layout.charsPerLine;
  // The DC keeps its default colours, black text on white: the view's
  // colours play no part on paper.
  StretchBlt(printerDC, x, y, layout.printWidth, layout.printLineHeight, memory, 0, 0, screenWidth, info.bmHeight,
             SRCCOPY);
  // A double-byte character begun in the last cell goes on into the margin
  // rather than being cut in half on paper.
  int bitmapCells = info.bmWidth / 8;
  if (cells > bitmapCells) cells = bitmapCells;
  if (cells > layout.charsPerLine) {
    int extraWidth = PrintedCellsWidth(layout, cells) - layout.printWidth;
    StretchBlt(printerDC, x + layout.printWidth, y, extraWidth, layout.printLineHeight, memory, screenWidth, 0,
               8 * (cells - layout.charsPerLine), info.bmHeight, SRCCOPY);
  }
  SelectObject(memory, previous);
  DeleteDC(memory);
}

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

BOOL CALLBACK PrintAbortProc(HDC, int) {
  if (PrintState.abortDialog == nullptr) return TRUE;
  MSG message;
  while (!PrintState.userAbort && PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (!IsDialogMessageA(PrintState.abortDialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return PrintState.userAbort ? FALSE : TRUE;
}

INT_PTR CALLBACK AbortDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      CentreDialog(dialog, GetWindow(dialog, GW_OWNER));
      SetFocus(GetDlgItem(dialog, IDCANCEL));
      return TRUE;
    case WM_PAINT: {
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
    case WM_COMMAND:
      PrintState.userAbort = true;
      return TRUE;
    default:
      return 0;
  }
}
