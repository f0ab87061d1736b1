// The module whose resources (menus, dialogs, strings, bitmaps) every Win32
// part loads: set once by the frame at start-up.
#pragma once

#include <windows.h>

extern HINSTANCE AppInstance;
