// The print job: the system's print dialog, then the document or the
// selected lines drawn with the view's line renderer and stretched across
// the page, black on white, between a header and a footer, while a small
// dialog counts the pages and offers Cancel.
#pragma once

#include <windows.h>
// After windows.h, which it needs.
#include <commdlg.h>

#include <cstddef>
#include <cstdint>

#include "print/page_layout.h"

constexpr size_t TemplateCapacity = 256;

struct PrintStateRecord {
  PageLayout layout;  // margins, printable area and the slots of this job
  char headerText[TemplateCapacity] = "";
  char footerText[TemplateCapacity] = "";
  int totalPages = 0;
  int currentPage = 0;
  HWND abortDialog = nullptr;
  bool userAbort = false;
};

extern PrintStateRecord PrintState;

// Kept while the program runs, so that the printer chosen and its settings
// are offered again by the next print command.
extern PRINTDLGA PrintDialogRecord;

// Handler of "&Print...": the print dialog, then the job. Returns 0.
int32_t ShowPrintDialog(HWND owner, WPARAM, WPARAM, LPARAM);

// Runs one job on `printerDC` and deletes the DC before it returns.
void PrintDocument(HWND owner, HDC printerDC, bool selectionOnly);

// Renders `length` bytes of code `code` (`readable` of them may be read) and stretches them
// onto the page at (leftMargin, y) through a bitmap of their own, in which
// ink is a clear bit.
void PrintTextLine(HDC printerDC, int code, const uint8_t* bytes, int length, size_t readable, int y);

// Stretches the first charsPerLine cells of `bitmap` across the print width
// at (x, y), and cells past them (up to `cells`) on at the same scale; clear
// bits print black.
void StretchLineToPage(HDC printerDC, HBITMAP bitmap, int x, int y, int cells);

// Prints the header (`which` 0) or footer (1) of page `page`; nothing for an
// empty template.
void PrintHeaderFooter(HDC printerDC, int which, int page);

BOOL CALLBACK PrintAbortProc(HDC dc, int code);
INT_PTR CALLBACK AbortDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// `utf8` in the bytes of code `code` (a CodeTypes value), so that the ZK
// font draws it; a character the code lacks becomes "?". Always terminated.
void CodeBytesFromUtf8(const char* utf8, int code, char* out, size_t outSize);
