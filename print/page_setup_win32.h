// The Page Setup dialog: the header and footer templates and the four
// margins, read from the settings file when it opens and written back on OK.
#pragma once

#include <windows.h>

#include <cstdint>

// Handler of "Page &Setup...": runs the dialog. Returns 0.
int32_t ShowPageSetup(HWND owner, WPARAM, WPARAM, LPARAM);

INT_PTR CALLBACK PageSetupProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
