// The frame's commands, in one table: each command's id, its handler, its
// toolbar image (if any), and when it is enabled and when checked. The menu
// and the toolbar take their state from it.
#pragma once

#include <windows.h>

// Runs the command of WM_COMMAND's `wParam`.
LRESULT RunFrameCommand(HWND frame, WPARAM wParam, LPARAM lParam);

// Brings the menu's checks and grays and the toolbar's buttons up to date.
void UpdateCommandState(HWND frame);

// The toolbar of the commands that have an image; null when it cannot be made.
HWND CreateCommandToolbar(HWND frame);
