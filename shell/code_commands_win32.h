// The commands that choose the code, and so the font, and switch HZ
// decoding: the only road by which a font is loaded.
#pragma once

#include <windows.h>

#include <cstdint>

// Sets the code, loads its font and repaints; a font that cannot be loaded
// ends the program.
void SelectCode(HWND frame, int code);

// Commands 10010 to 10012: SelectCode with the command's offset from 10010.
int32_t OnCodeCommand(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);
