// The frame window: start-up, the menu, accelerator and toolbar, the text
// view and the orderly end.
#pragma once

#include <windows.h>

#include "shell/frame_windows_win32.h"

// Declares the classes and creates and shows the frame; false when any of it
// fails (nothing is shown then).
bool InitApplication(HINSTANCE instance, int showCommand);
