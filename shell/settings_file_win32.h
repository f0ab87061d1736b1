// The settings file of the Win32 program: "ZK.INI", section "ZK", kept in
// the user's application-data folder (one file for every instance of that
// user), read at the frame's creation and written at its destruction.
#pragma once

#include <windows.h>

#include <cstddef>

extern HBRUSH SettingsBrush;

// The full path of the settings file; falls back on the bare name when the
// application-data folder cannot be had.
const char* SettingsFilePath();

void LoadSettings(HWND frame);
void SaveSettings(HWND frame);

// One key of section "ZK" read as an integer, `fallback` when missing.
int ReadProfileInteger(const char* key, int fallback);
