// The settings file of the Win32 program: "ZK.INI", section "ZK", kept in
// the user's application-data folder (one file for every instance of that
// user), read at the frame's creation and written at its destruction.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

extern HBRUSH SettingsBrush;

// The full path of the settings file (UTF-8); the bare name when the
// application-data folder cannot be had.
std::string SettingsFilePath();

void LoadSettings(HWND frame);
void SaveSettings(HWND frame);

// One key of section "ZK": its text (false when missing), its text written,
// its value as an integer (`fallback` when missing).
bool ReadProfileText(const char* key, char* dest, size_t destSize);
void WriteProfileText(const char* key, const char* text);
int ReadProfileInteger(const char* key, int fallback);
