#include "document/glyph_font.h"

#include "base/error_messages.h"
#include "base/file_io.h"
#include "base/program_path.h"
#include "base/read_whole.h"
#include "document/code_cells.h"
#include "document/document.h"
#include "document/glyph_marks.h"
#include "document/unicode_tables.h"

GlyphFontRecord GlyphFont;

const char* const FontFileNames[4] = {"ZKJT16.FON", "ZKFT16.FON", "ZKJP16.FON", "ZKJT16.FON"};

const char* const ExtensionFontNames[3] = {"ZKJT16X.FON", "ZKFT16X.FON", "ZKJP16X.FON"};

namespace {
// The bounds rule: a glyph is drawn only when all of its bytes are loaded.
const uint8_t* GlyphAt(int64_t offset, size_t length) {
  if (offset < 0 || GlyphFont.bytes == nullptr) return nullptr;
  uint64_t start = static_cast<uint64_t>(offset);
  if (start > GlyphFont.size || GlyphFont.size - start < length) return nullptr;
  return GlyphFont.bytes.get() + start;
}

const uint8_t* WideGlyph(int64_t g) { return GlyphAt(WideGlyphOffset(g), WideGlyphSize); }

// The extension of the current code when its file is there whole; without
// it the characters it would add show as marks.
Block<uint8_t> ReadExtensionFont() {
  if (CodeType < CodeGb || CodeType > CodeShiftJis) return nullptr;
  char path[PathCapacity];
  if (!BuildPathBesideProgram(path, sizeof path, ExtensionFontNames[CodeType])) return nullptr;
  FileHandle file = OpenForReading(path);
  uint64_t size = 0;
  if (!file || !MeasureFile(file.get(), &size) || size != ExtensionFontSize) return nullptr;
  Block<uint8_t> bytes = AllocateZeroed<uint8_t>(ExtensionFontSize);
  if (!bytes || ReadWhole(file.get(), bytes.get(), ExtensionFontSize) != ExtensionFontSize) return nullptr;
  return bytes;
}

const uint8_t* ExtensionGlyph(uint8_t lead, uint8_t trail) {
  if (GlyphFont.extension == nullptr || !IsGridPosition(lead, trail)) return nullptr;
  const size_t k = GridIndex(lead, trail);
  if (((GlyphFont.extension[k >> 3] >> (k & 7)) & 1) == 0) return nullptr;
  return GlyphFont.extension.get() + ExtensionPresenceSize + 32 * k;
}

// Whether the font file's layout has a glyph slot for the pair.
bool InFontLayout(int code, uint8_t lead, uint8_t trail) {
  if (code == CodeBig5) return lead >= 0xA1 && lead <= 0xF9 && IsBig5Trail(trail);
  if (code == CodeShiftJis)
    return ((lead >= 0x81 && lead <= 0x9F) || (lead >= 0xE0 && lead <= 0xEC)) && IsSjisTrail(trail);
  return lead >= 0xA1 && lead <= 0xF7 && trail >= 0xA1;
}
}  // namespace

bool BuildFontPath(char* dest, size_t destSize, int code) {
  // Any code type outside 0..3 is brought into range before it picks a name.
  if (code < 0 || code > 3) code = 0;
  return BuildPathBesideProgram(dest, destSize, FontFileNames[code]);
}

bool LoadCodeFont(WindowRef owner) {
  char path[PathCapacity];
  // Every Unicode form draws from the one Unicode font.
  bool pathFits = IsUnicodeCode(CodeType) ? BuildPathBesideProgram(path, sizeof path, UnicodeFontName)
                                          : BuildFontPath(path, sizeof path, CodeType);
  FileHandle file = pathFits ? OpenForReading(path) : nullptr;
  uint64_t size = 0;
  if (!file || !MeasureFile(file.get(), &size)) {
    ShowErrorBox(owner, ErrorOpenFontFile, path, StyleStop);
    return false;
  }
  // A font cut short or padded would draw blanks or wrong glyphs without a
  // word: it is refused, and the previous font stays.
  if (size != CompleteFontSize(CodeType)) {
    ShowErrorBox(owner, ErrorReadFontFile, nullptr, StyleStop);
    return false;
  }
  GlyphFont.bytes.reset();
  GlyphFont.size = 0;
  GlyphFont.extension.reset();
  Block<uint8_t> bytes;
  if (size < static_cast<uint64_t>(static_cast<size_t>(-1))) bytes = AllocateZeroed<uint8_t>(static_cast<size_t>(size));
  if (!bytes) {
    ShowErrorBox(owner, ErrorAllocMemory, nullptr, StyleStop);
    return false;
  }
  size_t count = static_cast<size_t>(size);
  bool complete = ReadWhole(file.get(), bytes.get(), count) == count;
  // Even a failed read leaves what arrived; the rest of the zero-filled
  // buffer draws blank.
  GlyphFont.bytes = std::move(bytes);
  GlyphFont.size = count;
  if (!complete) {
    ShowErrorBox(owner, ErrorReadFontFile, nullptr, StyleStop);
    return false;
  }
  GlyphFont.extension = ReadExtensionFont();
  return true;
}

size_t CompleteFontSize(int code) {
  if (IsUnicodeCode(code)) return UnicodeFontSize;
  // Every position of the code's lead and trail ranges has its glyph.
  constexpr size_t WideGlyphs[3] = {94 * 87, 157 * 89, 189 * 44};
  if (code < 0 || code > 2) code = 0;
  return WideGlyphArea + WideGlyphSize * WideGlyphs[code];
}

const uint8_t* SingleByteGlyph(uint8_t c) { return GlyphAt(16 * static_cast<int64_t>(c), NarrowGlyphSize); }

const uint8_t* GbGlyph(uint8_t first, uint8_t second) {
  if (first < 0xA1 || first > 0xF7 || second < 0xA1) return nullptr;
  return WideGlyph(GbCell(first, second));
}

const uint8_t* Big5Glyph(uint8_t first, uint8_t second) {
  if (first >= 0xFA) return nullptr;
  return WideGlyph(Big5Cell(first, second));
}

const uint8_t* SjisGlyph(uint8_t first, uint8_t second) {
  if (first >= 0xED) return nullptr;
  return WideGlyph(SjisCell(first, second));
}

const uint8_t* PairGlyph(int code, uint8_t lead, uint8_t trail, uint8_t mark[32]) {
  if (const uint8_t* glyph = ExtensionGlyph(lead, trail)) return glyph;
  if (InFontLayout(code, lead, trail)) {
    if (code == CodeBig5) return Big5Glyph(lead, trail);
    if (code == CodeShiftJis) return SjisGlyph(lead, trail);
    return GbGlyph(lead, trail);
  }
  DrawPairMark(lead, trail, mark);
  return mark;
}

const uint8_t* UnicodeGlyph(char32_t c) {
  if (c >= UnicodePlaneSize || GlyphFont.size < UnicodeFontHeaderSize) return nullptr;
  if (((GlyphFont.bytes[c >> 3] >> (c & 7)) & 1) == 0) return nullptr;
  return GlyphAt(static_cast<int64_t>(UnicodeFontHeaderSize + WideGlyphSize * c), WideGlyphSize);
}
