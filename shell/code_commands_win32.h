// Choosing the code, and so the font: the only road by which a font is
// loaded.
#pragma once

#include <windows.h>

// The command that shows the text in `code`: one for each legacy code, one
// for UTF-8 and UTF-16 alike.
int CodeCommandId(int code);

// Sets the code, loads its font and repaints; a font that cannot be loaded
// ends the program (false).
bool SelectCode(HWND frame, int code);
