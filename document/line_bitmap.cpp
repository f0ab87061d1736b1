#include "document/line_bitmap.h"

#include <cstring>

#include "base/error_messages.h"
#include "base/settings_values.h"
#include "document/byte_classes.h"
#include "document/cells.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "document/glyph_marks.h"
#include "document/unicode_tables.h"

LineBitmapRecord LineBitmap;

namespace {
// Byte of `cell` in the first glyph row, or null when the cell lies outside.
uint8_t* CellTop(int cell) {
  if (LineBitmap.bits == nullptr || cell < 0 || cell >= LineBitmap.bytesPerRow) return nullptr;
  return LineBitmap.bits.get() + static_cast<size_t>(GlyphTop()) * LineBitmap.bytesPerRow + cell;
}
}  // namespace

int ComputeBytesPerRow(int clientWidth, int charsPerLine) {
  int cells = clientWidth / CellWidth;
  if (cells < charsPerLine) cells = charsPerLine;
  if (cells < 0) cells = 0;
  int bytesPerRow = cells + 2;
  return bytesPerRow % 2 == 0 ? bytesPerRow : bytesPerRow + 1;
}

int GlyphTop() {
  int top = (LineBitmap.lineHeight - GlyphHeight) / 2;
  return top > 0 ? top : 0;
}

bool AllocateLineBitmap(WindowRef view, int clientWidth) {
  LineBitmap.bits.reset();
  LineBitmap.bytesPerRow = ComputeBytesPerRow(clientWidth, ClampCharsPerLine(Settings.charsPerLine));
  LineBitmap.lineHeight = GlyphHeight + DrawnLineSpacing(Settings.lineSpacing);
  LineBitmap.bits = AllocateZeroed<uint8_t>(static_cast<size_t>(LineBitmap.bytesPerRow) * LineBitmap.lineHeight);
  if (!LineBitmap.bits) {
    ShowErrorBox(view, ErrorAllocMemory, nullptr, StylePlain);
    return false;
  }
  return true;
}

void PutBlankCell(int cell) { PutNarrowGlyph(cell, nullptr); }

void PutNarrowGlyph(int cell, const uint8_t* glyph) {
  uint8_t* row = CellTop(cell);
  if (row == nullptr) return;
  for (int k = 0; k < GlyphHeight; ++k, row += LineBitmap.bytesPerRow) *row = glyph ? glyph[k] : 0;
}

void PutWideGlyph(int cell, const uint8_t* glyph) {
  uint8_t* row = CellTop(cell);
  if (row == nullptr) return;
  bool rightHalf = cell + 1 < LineBitmap.bytesPerRow;
  for (int k = 0; k < GlyphHeight; ++k, row += LineBitmap.bytesPerRow) {
    row[0] = glyph ? glyph[2 * k] : 0;
    if (rightHalf) row[1] = glyph ? glyph[2 * k + 1] : 0;
  }
}

namespace {
// A Unicode line: each character drawn in its cells from the Unicode font,
// a character with no glyph as the mark of its code point, a byte that is
// no character as its own mark; a zero-width character not at all.
int RenderUnicodeLine(int code, const uint8_t* bytes, size_t count, size_t readable) {
  const int width = LineBitmap.bytesPerRow;
  const uint8_t* bitmaps = UnicodeFontBitmaps();
  uint8_t mark[32];
  int col = 0;
  size_t i = 0;
  while (i < count && col < width) {
    const UnicodeStep step = StepUnicode(code, bytes, i, readable);
    const char32_t c = step.codePoint;
    if (!step.valid || c == 0x7F) {
      for (size_t k = 0; k < step.length; ++k) {
        DrawByteMark(bytes[i + k], mark);
        PutNarrowGlyph(col++, mark);
      }
    } else if (c == 0x09) {
      for (int n = 8 - col % 8; n > 0 && col < width; --n) PutBlankCell(col++);
    } else if (c < 0x20) {
      PutBlankCell(col++);
    } else if (const int cells = CellsWithBitmaps(bitmaps, c); cells > 0) {
      const uint8_t* glyph = UnicodeGlyph(c);
      if (glyph == nullptr) DrawCodePointMark(c, mark), glyph = mark;
      if (cells == 2)
        PutWideGlyph(col, glyph);
      else
        PutNarrowGlyph(col, glyph);
      col += cells;
    }
    i += step.length;
  }
  return col < width ? col : width;
}
}  // namespace

int RenderLine(const uint8_t* bytes, int count, size_t readable) {
  return RenderText(CodeType, bytes, count, readable);
}

int RenderText(int code, const uint8_t* bytes, int count, size_t readable) {
  if (LineBitmap.bits == nullptr) return 0;
  std::memset(LineBitmap.bits.get(), 0, static_cast<size_t>(LineBitmap.bytesPerRow) * LineBitmap.lineHeight);
  if (count <= 0 || bytes == nullptr) return 0;
  if (readable < static_cast<size_t>(count)) readable = static_cast<size_t>(count);
  if (IsUnicodeCode(code)) return RenderUnicodeLine(code, bytes, static_cast<size_t>(count), readable);
  const int width = LineBitmap.bytesPerRow;
  uint8_t mark[32];
  int col = 0;
  size_t i = 0;
  // Nothing past the last cell is drawn, so the walk stops there.
  while (i < static_cast<size_t>(count) && col < width) {
    const uint8_t b = bytes[i];
    if (IsControlByte(b)) {
      if (b == 0x09) {
        for (int n = 8 - col % 8; n > 0 && col < width; --n) PutBlankCell(col++);
      } else {
        PutBlankCell(col++);
      }
      ++i;
      continue;
    }
    // Bytes pair by the code's rule, as the line index reads them; a lead
    // at the end of the string pairs with the byte after it when readable.
    const CharacterStep step = StepCharacter(code, bytes, i, readable);
    if (step.kind == CharacterPair) {
      PutWideGlyph(col, PairGlyph(code, b, bytes[i + 1], mark));
      col += 2;
    } else if (step.kind == CharacterSingle) {
      PutNarrowGlyph(col++, SingleByteGlyph(b));
    } else {
      // A byte that is no character, and the four bytes of GB 18030 that no
      // font holds: a mark each.
      for (size_t k = 0; k < step.length; ++k) {
        DrawByteMark(bytes[i + k], mark);
        PutNarrowGlyph(col++, mark);
      }
    }
    i += step.length;
  }
  return col < width ? col : width;
}
