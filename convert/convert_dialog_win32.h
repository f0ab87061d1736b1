// The Convert dialog and the character table commands.
#pragma once

#include <windows.h>

#include <cstdint>

// Commands 10002, 10003 and 10016: the Convert dialog for GB and Big5, GB
// and Shift JIS, GB and HZ.
int32_t ShowConvertDialog(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);

// Commands 10018 to 10020: a character table file beside the program.
int32_t MakeTableFileCommand(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);
