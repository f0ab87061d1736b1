// The seam through which portable code talks to the user. The Win32 front
// end shows real message boxes; the headless form (CLI, tests) records the
// text and, where asked, echoes it to the terminal.
#pragma once

// An opaque window handle: an HWND in the Win32 front end, unused headless.
using WindowRef = void*;

// Message box styles passed by the callers.
constexpr int StylePlain = 0;
constexpr int StyleStop = 16;

// Shows error message `id` (4 to 23) with the caption "Error"; `argument`
// fills its "%s" and may be null.
void ShowErrorBox(WindowRef owner, int id, const char* argument, int style);

// Asks a yes/no question; true means Yes.
bool AskYesNo(WindowRef owner, const char* text, const char* caption);

// Shows a plain notice with an OK button.
void ShowNotice(WindowRef owner, const char* text, const char* caption);
