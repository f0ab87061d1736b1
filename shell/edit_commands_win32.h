// The Edit menu: Copy, Find, Find Next and Go to Line.
#pragma once

#include <windows.h>

#include <cstdint>

// The commands, as the frame's command table calls them.
int32_t OnCopy(HWND frame, WPARAM, WPARAM, LPARAM);
int32_t OnFind(HWND frame, WPARAM, WPARAM, LPARAM);
int32_t OnFindNext(HWND frame, WPARAM, WPARAM, LPARAM);
int32_t OnGoToLine(HWND frame, WPARAM, WPARAM, LPARAM);

// The system's find dialog while it is open, else null: the message loop
// hands it its keys.
HWND FindDialogWindow();

// Whether `message` is the find dialog's message to its owner, and the
// frame's answer to it.
bool IsFindMessage(UINT message);
LRESULT OnFindMessage(HWND frame, LPARAM lParam);
