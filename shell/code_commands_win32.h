// Choosing the code, and so the font: the only road by which a font is
// loaded.
#pragma once

#include <windows.h>

// Sets the code, loads its font and repaints; a font that cannot be loaded
// ends the program (false).
bool SelectCode(HWND frame, int code);
