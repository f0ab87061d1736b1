// The print job: the system's print dialog, then the document or the
// selected lines drawn with the view's line renderer and stretched across
// the page, black on white, between a header and a footer, while a small
// dialog counts the pages and offers Cancel.
#pragma once

#include <windows.h>

#include "print/page_layout.h"

// The lines the print dialog offers: the whole document, and the selected
// lines when there is a selection.
struct PrintRequest {
  PrintRange whole;
  PrintRange selection;
  bool hasSelection = false;
};

// The print dialog over `owner`, then the job on the printer chosen.
void RunPrintDialog(HWND owner, const PrintRequest& request);

// Runs one job of `range` on `printerDC` and deletes the DC before it returns.
void PrintDocument(HWND owner, HDC printerDC, PrintRange range);
