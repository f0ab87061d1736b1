#include <cstring>

#include "document/glyph_marks.h"
#include "tools/make_data.h"

namespace {
constexpr size_t SingleByteArea = 4096;

bool IsMarkedByte(int code, int b) {
  if (b == 0x7F) return true;  // DEL is drawn, not obeyed: show it
  if (code == DataSjis) return b == 0x80 || b == 0xA0 || b >= 0xFD;
  return (b >= 0x80 && b <= 0xA0) || b == 0xFF;
}

bool IsDrawnSingleByte(int code, int b) {
  if (b >= 0x20 && b <= 0x7E) return true;
  return code == DataSjis && b >= 0xA1 && b <= 0xDF;  // half-width katakana
}

bool IsBlankGlyph(const uint8_t* glyph, size_t size) {
  for (size_t k = 0; k < size; ++k) {
    if (glyph[k] != 0) return false;
  }
  return true;
}

void FillSingleByteArea(int code, const CodeChart& chart, const UnifontGlyphs& glyphs, uint8_t* area,
                        FontCoverage& coverage) {
  for (int b = 0; b < 256; ++b) {
    uint8_t* glyph = area + 16 * b;
    if (IsMarkedByte(code, b)) {
      // The viewer draws the same mark where a byte is no character.
      DrawByteMark(static_cast<uint8_t>(b), glyph);
      ++coverage.marks;
      continue;
    }
    if (!IsDrawnSingleByte(code, b)) continue;
    char32_t c = chart.singles[b];
    if (c == 0 || c >= glyphs.size() || glyphs[c].width != 8) continue;
    std::memcpy(glyph, glyphs[c].rows, 16);
    if (!IsBlankGlyph(glyph, 16) || IsBlankCharacter(c)) ++coverage.singleGlyphs;
  }
}

bool IsBoxDrawing(char32_t c) { return c >= 0x2500 && c <= 0x257F; }
bool IsBlockElement(char32_t c) { return c >= 0x2580 && c <= 0x259F; }

// Unifont's glyph of `c` as a 16 x 16 glyph. A narrow one is centred, except
// that the lines of box drawing still reach the cell's edges and blocks and
// shades fill the cell, so that tables and bars drawn with double-byte
// characters join up.
bool PutWideGlyph(const UnifontGlyphs& glyphs, char32_t c, uint8_t* glyph, FontCoverage& coverage) {
  if (c >= glyphs.size() || glyphs[c].width == 0) return false;
  const UnifontGlyph& source = glyphs[c];
  if (source.width == 16) {
    std::memcpy(glyph, source.rows, 32);
    return true;
  }
  for (int row = 0; row < 16; ++row) {
    uint8_t narrow = source.rows[row];
    unsigned wide = static_cast<unsigned>(narrow) << 4;
    if (IsBlockElement(c)) {
      wide = 0;
      for (int bit = 0; bit < 8; ++bit) wide |= ((narrow >> bit) & 1u) * (3u << (2 * bit));
    } else if (IsBoxDrawing(c)) {
      if (narrow & 0x80) wide |= 0xF000;
      if (narrow & 0x01) wide |= 0x000F;
    }
    glyph[2 * row] = static_cast<uint8_t>(wide >> 8);
    glyph[2 * row + 1] = static_cast<uint8_t>(wide & 0xFF);
  }
  if (IsBlockElement(c))
    ++coverage.stretched;
  else if (IsBoxDrawing(c))
    ++coverage.joined;
  else
    ++coverage.centred;
  return true;
}

// Draws a double-byte character of a font at `glyph`: true when it has a
// glyph (a space counts, blank as it is), else it is listed as missing.
bool DrawCharacter(const UnifontGlyphs& glyphs, char32_t c, uint16_t position, uint8_t* glyph, FontCoverage& coverage) {
  ++coverage.decoded;
  const bool placed = PutWideGlyph(glyphs, c, glyph, coverage);
  if (IsBlankCharacter(c)) {
    ++coverage.blankCharacters;
    return true;
  }
  if (placed && !IsBlankGlyph(glyph, 32)) {
    ++coverage.drawn;
    return true;
  }
  coverage.missing.push_back(position);
  return false;
}

void SetBit(uint8_t* bitmap, size_t k) { bitmap[k >> 3] = static_cast<uint8_t>(bitmap[k >> 3] | 1u << (k & 7)); }
}  // namespace

bool IsBlankCharacter(char32_t c) {
  return c == 0x20 || c == 0xA0 || c == 0x3000 || (c >= 0x2000 && c <= 0x200B) || c == 0x202F || c == 0x205F;
}

Bytes BuildFont(int code, const CodeChart& chart, const UnifontGlyphs& glyphs, FontCoverage& coverage) {
  CodeLayout layout = FontLayout(code);
  coverage.positions = static_cast<int>(layout.leads.size() * layout.trails.size());
  Bytes font(SingleByteArea + 32 * static_cast<size_t>(coverage.positions), 0);
  FillSingleByteArea(code, chart, glyphs, font.data(), coverage);
  uint8_t* glyph = font.data() + SingleByteArea;
  for (uint8_t lead : layout.leads) {
    for (uint8_t trail : layout.trails) {
      char32_t c = CharacterAt(chart, lead, trail);
      if (c != 0) DrawCharacter(glyphs, c, static_cast<uint16_t>(lead * 256 + trail), glyph, coverage);
      glyph += 32;
    }
  }
  return font;
}

Bytes BuildExtensionFont(const CodeChart& base, const CodeChart& extended, const UnifontGlyphs& glyphs,
                         FontCoverage& coverage) {
  std::vector<bool> drawnByBase(0x10000);
  CodeLayout layout = FontLayout(base.code);
  for (uint8_t lead : layout.leads) {
    for (uint8_t trail : layout.trails) drawnByBase[lead * 256u + trail] = CharacterAt(base, lead, trail) != 0;
  }
  Bytes font(ExtensionPresenceBytes + 32 * GridPositions, 0);
  coverage.positions = static_cast<int>(GridPositions);
  CodeLayout grid = GridLayout();
  size_t k = 0;
  for (uint8_t lead : grid.leads) {
    for (uint8_t trail : grid.trails) {
      const uint16_t position = static_cast<uint16_t>(lead * 256 + trail);
      const char32_t c = CharacterAt(extended, lead, trail);
      if (c != 0 && !drawnByBase[position] &&
          DrawCharacter(glyphs, c, position, font.data() + ExtensionPresenceBytes + 32 * k, coverage))
        SetBit(font.data(), k);
      ++k;
    }
  }
  return font;
}

Bytes BuildUnicodeFont(const CodeChart baseCharts[3], const UnifontGlyphs& glyphs, UnicodeFontCoverage& coverage) {
  // A double-byte character of a base chart takes two cells in its code's
  // texts; it takes them, drawn alike, in a Unicode text too.
  std::vector<bool> doubleByte(UnifontPlaneSize);
  for (int code = 0; code < 3; ++code) {
    for (const auto& [c, position] : baseCharts[code].positions) {
      if (c < UnifontPlaneSize) doubleByte[c] = true;
    }
  }
  Bytes font(UnicodeGlyphsAt + 32 * UnifontPlaneSize, 0);
  for (char32_t c = 0; c < UnifontPlaneSize; ++c) {
    const UnifontGlyph& source = glyphs[c];
    if (c < 0x20 || c == 0x7F || source.width == 0) continue;  // control characters are the renderer's
    uint8_t* slot = font.data() + UnicodeGlyphsAt + 32 * c;
    SetBit(font.data(), c);
    ++coverage.glyphs;
    if (source.width == 8 && !doubleByte[c]) {
      std::memcpy(slot, source.rows, 16);
      continue;
    }
    PutWideGlyph(glyphs, c, slot, coverage.widened);
    SetBit(font.data() + UnicodeWideBitmapAt, c);
    ++coverage.wide;
  }
  return font;
}

void CompareWithUnicodeFont(const Bytes& baseFont, const CodeChart& base, const Bytes& unicodeFont, int& equal,
                            int& differing) {
  CodeLayout layout = FontLayout(base.code);
  const uint8_t* glyph = baseFont.data() + SingleByteArea;
  for (uint8_t lead : layout.leads) {
    for (uint8_t trail : layout.trails) {
      const char32_t c = CharacterAt(base, lead, trail);
      if (c != 0 && c < UnifontPlaneSize) {
        const bool same = std::memcmp(glyph, unicodeFont.data() + UnicodeGlyphsAt + 32 * c, 32) == 0;
        ++(same ? equal : differing);
      }
      glyph += 32;
    }
  }
}
