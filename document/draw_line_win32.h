// Copying rendered display lines to a device: the Win32 side of rendering.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Renders `count` bytes (`readable` of them may be read) and copies the line
// bitmap to (x, y), colours swapped when `selected`.
void DrawDocumentLine(HDC dc, const uint8_t* bytes, int count, size_t readable, int x, int y, bool selected);
