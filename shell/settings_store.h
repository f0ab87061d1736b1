// The keys of the settings file and how their values come and go. The file
// itself is reached through two functions the caller supplies, so that the
// rules hold whatever stores the text.
#pragma once

#include <cstddef>

// Reads a key's text into `dest`; false when the key is missing.
using ReadSettingText = bool (*)(const char* key, char* dest, size_t destSize);
// Writes a key's text.
using WriteSettingText = void (*)(const char* key, const char* text);

struct FramePlacement {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// A stored frame rectangle is used only when it has width and height,
bool IsUsablePlacement(const FramePlacement& rect);

// and meets at least one of the monitors' work areas: a frame wholly off
// every screen is a frame no one can see.
bool MeetsAnyArea(const FramePlacement& rect, const FramePlacement* areas, size_t count);

// Reads every setting into Settings and *code (the stored code type), each
// brought into range, and the stored frame rectangle into *placement.
void ReadStoredSettings(ReadSettingText read, FramePlacement* placement, int* code);

// Writes every setting as decimal text, and the frame rectangle when
// `placement` is not null (a maximised or minimised frame keeps the old one).
void WriteStoredSettings(WriteSettingText write, int code, const FramePlacement* placement);
