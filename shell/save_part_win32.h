// Command 10001, "Save a part...": the selected lines to a file the user
// names.
#pragma once

#include <windows.h>

#include <cstdint>

int32_t SavePart(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);
