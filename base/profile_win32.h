// The settings file of the Win32 program: "ZK.INI", section "ZK", kept in
// the user's application-data folder (one file for every instance of that
// user). Page Setup, the print job and the frame's settings read and write
// its keys through these.
#pragma once

#include <cstddef>
#include <string>

constexpr const char* SettingsFileName = "ZK.INI";
constexpr const char* SettingsSection = "ZK";

// The full path of the settings file (UTF-8); the bare name when the
// application-data folder cannot be had.
std::string SettingsFilePath();

// One key of section "ZK": its text (false when missing), its text written,
// its value as an integer (`fallback` when missing).
bool ReadProfileText(const char* key, char* dest, size_t destSize);
void WriteProfileText(const char* key, const char* text);
int ReadProfileInteger(const char* key, int fallback);
