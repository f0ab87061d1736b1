// The one-bit line bitmap that every display line is drawn into, glyph by
// glyph, before it is copied to a screen or a page. Rows run top first; byte c
// of a row is cell c, bit 7 its leftmost pixel; a set bit is ink.
#pragma once

#include <cstddef>
#include <cstdint>

#include "base/memory.h"
#include "base/prompts.h"

struct LineBitmapRecord {
  Block<uint8_t> bits;
  int bytesPerRow = 0;  // always even: platform bitmaps take whole 16-bit words
  int lineHeight = 0;   // GlyphHeight + Settings.lineSpacing
};

extern LineBitmapRecord LineBitmap;

// max(clientWidth div 8, charsPerLine) + 2, made even: room for the one or
// two cells a display line may run past its width.
int ComputeBytesPerRow(int clientWidth, int charsPerLine);

// Rows of line spacing above the glyphs: (lineHeight - GlyphHeight) div 2.
int GlyphTop();

// Sizes the bitmap for a view `clientWidth` pixels wide and makes a new,
// clear one. On failure shows message 5 and returns false (the caller then
// closes the view); no bitmap is left.
bool AllocateLineBitmap(WindowRef view, int clientWidth);

// Draws `count` bytes into the bitmap in the current code, from a clear
// bitmap. `readable` (at least count) is how many bytes may be read from
// `bytes`: a first byte at the end of the string pairs with the byte after it
// when that byte is readable, and with 0 otherwise. Returns the cells the
// line took, at most bytesPerRow.
int RenderLine(const uint8_t* bytes, int count, size_t readable);

// The same in code `code` rather than the current one: a header or footer,
// which is composed in UTF-8 for a Unicode text.
int RenderText(int code, const uint8_t* bytes, int count, size_t readable);

// Write one glyph at `cell`; cells outside the bitmap are not drawn, and of a
// wide glyph in the last cell only the left half. A null glyph is blank.
void PutBlankCell(int cell);
void PutNarrowGlyph(int cell, const uint8_t* glyph);
void PutWideGlyph(int cell, const uint8_t* glyph);
