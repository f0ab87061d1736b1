#include "document/draw_line_win32.h"

#include "base/settings_values.h"
#include "document/cells.h"
#include "document/line_bitmap.h"

namespace {
// Copies a one-bit bitmap to (x, y): set bits in the text colour on the
// background colour, the other way round when `selected`.
void BlitLineBitmap(HDC dc, HBITMAP bitmap, int x, int y, bool selected) {
  BITMAP info{};
  if (GetObjectA(bitmap, sizeof info, &info) == 0) return;
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return;
  HGDIOBJ previous = SelectObject(memory, bitmap);
  // A one-bit source takes the target's background colour for set bits and
  // its text colour for clear ones.
  COLORREF oldBack = SetBkColor(dc, selected ? Settings.backColour : Settings.textColour);
  int oldMode = SetBkMode(dc, TRANSPARENT);
  COLORREF oldText = SetTextColor(dc, selected ? Settings.textColour : Settings.backColour);
  BitBlt(dc, x, y, info.bmWidth, info.bmHeight, memory, 0, 0, SRCCOPY);
  SetBkColor(dc, oldBack);
  SetBkMode(dc, oldMode);
  SetTextColor(dc, oldText);
  SelectObject(memory, previous);
  DeleteDC(memory);
}
}  // namespace

void DrawDocumentLine(HDC dc, const uint8_t* bytes, int count, size_t readable, int x, int y, bool selected) {
  RenderLine(bytes, count, readable);
  if (LineBitmap.bits == nullptr) return;
  // The platform bitmap holds its own copy of the bits, so a render that
  // runs in between cannot change this line.
  HBITMAP bitmap = CreateBitmap(CellWidth * LineBitmap.bytesPerRow, LineBitmap.lineHeight, 1, 1, LineBitmap.bits.get());
  if (bitmap == nullptr) return;
  BlitLineBitmap(dc, bitmap, x, y, selected);
  DeleteObject(bitmap);
}
