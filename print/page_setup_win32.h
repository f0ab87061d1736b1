// The Page Setup dialog: the header and footer templates and the four
// margins, read from the settings file when it opens and written back on OK.
#pragma once

#include <windows.h>

// Runs the dialog over `owner`.
void RunPageSetup(HWND owner);
