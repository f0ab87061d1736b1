// Copying rendered display lines to a device: the Win32 side of rendering.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// Renders `count` bytes (`readable` of them may be read) and copies the line
// bitmap to (x, y), colours swapped when `selected`.
void DrawDocumentLine(HDC dc, const uint8_t* bytes, int count, size_t readable, int x, int y, bool selected);

// Copies a one-bit bitmap to (x, y): set bits in the text colour on the
// background colour, the other way round when `selected`.
void BlitLineBitmap(HDC dc, HBITMAP bitmap, int x, int y, bool selected);
