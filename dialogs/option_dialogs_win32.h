// The Option menu's dialogs: line width and spacing, colours, About.
#pragma once

#include <windows.h>

#include <cstdint>

// Command 10008: the line width dialog.
int32_t ShowLineWidthDialog(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);

// Command 10009: the colour dialog.
int32_t ShowColourDialog(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);

// Command 10007: the About box.
int32_t ShowAboutBox(HWND frame, WPARAM wParam, WPARAM code, LPARAM lParam);
