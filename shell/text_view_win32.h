// The text view: the child of the frame that shows the document's display
// lines one per row and scrolls by lines and by character columns.
#pragma once

#include <windows.h>

#include <cstdint>

constexpr const char* ViewClassName = "ClientWndClass";

LRESULT CALLBACK ViewWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
