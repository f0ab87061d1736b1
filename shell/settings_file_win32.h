// The frame's settings, read from the settings file at the frame's creation
// and written at its destruction.
#pragma once

#include <windows.h>

#include "base/profile_win32.h"

extern HBRUSH SettingsBrush;

void LoadSettings(HWND frame);
void SaveSettings(HWND frame);
