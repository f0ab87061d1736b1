// The grid every display line is drawn on: a cell is 8 pixels wide (a
// single-byte glyph takes one, a double-byte glyph two) and every glyph is
// 16 pixel rows high.
#pragma once

constexpr int CellWidth = 8;
constexpr int GlyphHeight = 16;
