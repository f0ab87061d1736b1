// The font files the build made, read through the core's own loader and
// lookups, against Unifont and iconv.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "document/document.h"
#include "document/glyph_font.h"
#include "shell/font_path.h"
#include "tests/data_support.h"

namespace {
// Loads the font of `code` from beside the programs, as the viewer does.
bool LoadBuiltFont(int code) {
  ResetCoreState();
  SetModulePath((std::string(ZK_DATA_DIR) + "/zk").c_str());
  CodeType = code;
  return LoadCodeFont(nullptr);
}

Bytes GlyphBytes(const uint8_t* glyph, size_t size) { return glyph ? Bytes(glyph, glyph + size) : Bytes(size, 0); }

bool IsBlank(const uint8_t* glyph, size_t size) {
  for (size_t k = 0; glyph != nullptr && k < size; ++k) {
    if (glyph[k] != 0) return false;
  }
  return true;
}

bool IsSpace(char32_t c) { return c == 0x3000 || c == 0x20; }

// Every character position of a code: visible characters have ink, spaces
// and positions that are no character have none.
struct PositionCount {
  int visible = 0;
  int inked = 0;
  int empty = 0;
  int emptyBlank = 0;
};

template <typename Lookup, typename Decode>
PositionCount CountPositions(const std::vector<int>& leads, const std::vector<int>& trails, Lookup lookup,
                             Decode decode) {
  PositionCount count;
  for (int lead : leads) {
    for (int trail : trails) {
      char32_t c = decode(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      bool blank = IsBlank(lookup(static_cast<uint8_t>(lead), static_cast<uint8_t>(trail)), 32);
      if (c == 0) {
        ++count.empty;
        count.emptyBlank += blank ? 1 : 0;
      } else if (!IsSpace(c)) {
        ++count.visible;
        count.inked += blank ? 0 : 1;
      }
    }
  }
  return count;
}

std::vector<int> Range(int lo, int hi, std::vector<int> more = {}) {
  std::vector<int> values;
  for (int v = lo; v <= hi; ++v) values.push_back(v);
  values.insert(values.end(), more.begin(), more.end());
  return values;
}

bool IsPrivateUse(char32_t c) { return c >= 0xE000 && c <= 0xF8FF; }
}  // namespace

TEST(BuiltFonts, HaveTheirCompleteSizes) {
  EXPECT_EQ(std::filesystem::file_size(DataFile("ZKJT16.FON")), 265792u);
  EXPECT_EQ(std::filesystem::file_size(DataFile("ZKFT16.FON")), 451232u);
  EXPECT_EQ(std::filesystem::file_size(DataFile("ZKJP16.FON")), 270208u);
}

TEST(BuiltFonts, KnownCharactersAreUnifontsGlyphs) {
  ASSERT_TRUE(LoadBuiltFont(CodeGb));
  EXPECT_EQ(GlyphBytes(GbGlyph(0xB0, 0xA1), 32), UnifontBitmap("unifont.hex", 0x554A));  // 啊
  EXPECT_EQ(GlyphBytes(SingleByteGlyph('A'), 16), UnifontBitmap("unifont.hex", 'A'));
  // Greek alpha is narrow in Unifont: centred in its two cells.
  EXPECT_EQ(GlyphBytes(GbGlyph(0xA6, 0xC1), 32), CentreNarrowBitmap(UnifontBitmap("unifont.hex", 0x03B1)));

  ASSERT_TRUE(LoadBuiltFont(CodeBig5));
  EXPECT_EQ(GlyphBytes(Big5Glyph(0xA4, 0x40), 32), UnifontBitmap("unifont.hex", 0x4E00));  // 一
  EXPECT_EQ(GlyphBytes(Big5Glyph(0xB0, 0xEA), 32), UnifontBitmap("unifont.hex", 0x570B));  // 國
  // The last glyph of the file, a shade: narrow in Unifont, stretched to fill both cells.
  Bytes shade = UnifontBitmap("unifont.hex", 0x2593);
  ASSERT_EQ(shade.size(), 16u);
  Bytes stretched = GlyphBytes(Big5Glyph(0xF9, 0xFE), 32);
  for (size_t row = 0; row < 16; ++row) {
    for (int x = 0; x < 16; ++x) {
      EXPECT_EQ((stretched[2 * row + x / 8] >> (7 - x % 8)) & 1, (shade[row] >> (7 - x / 2)) & 1) << row << "," << x;
    }
  }

  ASSERT_TRUE(LoadBuiltFont(CodeShiftJis));
  Bytes japanese = UnifontBitmap("unifont_jp.hex", 0x4E9C);  // 亜, in its Japanese form
  ASSERT_EQ(japanese.size(), 32u);
  EXPECT_NE(japanese, UnifontBitmap("unifont.hex", 0x4E9C));
  EXPECT_EQ(GlyphBytes(SjisGlyph(0x88, 0x9F), 32), japanese);
  EXPECT_EQ(GlyphBytes(SingleByteGlyph(0xB1), 16), UnifontBitmap("unifont_jp.hex", 0xFF71));  // half-width ｱ
  EXPECT_EQ(GlyphBytes(SjisGlyph(0x87, 0x40), 32), UnifontBitmap("unifont_jp.hex", 0x2460));  // ①, row 13
}

TEST(BuiltFonts, BoxDrawingReachesTheEdgesOfTheCell) {
  ASSERT_TRUE(LoadBuiltFont(CodeGb));
  // ─ and ┌ of GB row 9: a table drawn with them has no gaps between cells.
  Bytes across = GlyphBytes(GbGlyph(0xA9, 0xA4), 32);
  Bytes corner = GlyphBytes(GbGlyph(0xA9, 0xB0), 32);
  int fullRows = 0;
  for (size_t row = 0; row < 16; ++row) fullRows += across[2 * row] == 0xFF && across[2 * row + 1] == 0xFF ? 1 : 0;
  EXPECT_EQ(fullRows, 1);
  bool reachesRight = false, reachesLeft = false;
  for (size_t row = 0; row < 16; ++row) {
    reachesRight = reachesRight || (corner[2 * row + 1] & 1) != 0;
    reachesLeft = reachesLeft || (corner[2 * row] & 0x80) != 0;
  }
  EXPECT_TRUE(reachesRight);
  EXPECT_FALSE(reachesLeft);
  EXPECT_EQ(DecodeWithIconv("GB2312", 0xA9, 0xB0), 0x250Cu);
}

TEST(BuiltFonts, EveryVisibleCharacterHasInkAndNothingElseHas) {
  ASSERT_TRUE(LoadBuiltFont(CodeGb));
  PositionCount gb = CountPositions(Range(0xA1, 0xF7), Range(0xA1, 0xFE), GbGlyph,
                                    [](uint8_t h, uint8_t l) { return DecodeWithIconv("GB2312", h, l); });
  EXPECT_EQ(gb.visible, 7444);  // 6763 hanzi and 681 other characters, less the ideographic space
  EXPECT_EQ(gb.inked, gb.visible);
  EXPECT_EQ(gb.emptyBlank, gb.empty);

  ASSERT_TRUE(LoadBuiltFont(CodeBig5));
  // The user-defined rows, private use in plain Big5, hold the extension
  // characters that BIG5-HKSCS names.
  auto big5 = [](uint8_t h, uint8_t l) {
    char32_t c = DecodeWithIconv("BIG5", h, l);
    if (IsPrivateUse(c)) c = DecodeWithIconv("BIG5-HKSCS", h, l);
    return IsPrivateUse(c) || c > 0xFFFF ? 0 : c;
  };
  PositionCount big5Count = CountPositions(Range(0xA1, 0xF9), Range(0x40, 0x7E, Range(0xA1, 0xFE)), Big5Glyph, big5);
  EXPECT_GT(big5Count.visible, 13800);
  EXPECT_EQ(big5Count.inked, big5Count.visible);
  EXPECT_EQ(big5Count.emptyBlank, big5Count.empty);

  ASSERT_TRUE(LoadBuiltFont(CodeShiftJis));
  PositionCount sjis = CountPositions(Range(0x81, 0x9F, Range(0xE0, 0xEC)), Range(0x40, 0xFC), SjisGlyph,
                                      [](uint8_t h, uint8_t l) { return DecodeWithIconv("CP932", h, l); });
  EXPECT_GT(sjis.visible, 6900);
  EXPECT_EQ(sjis.inked, sjis.visible);
  EXPECT_EQ(sjis.emptyBlank, sjis.empty);
}

TEST(BuiltFonts, SingleBytesThatAreNoCharacterShowAMark) {
  ASSERT_TRUE(LoadBuiltFont(CodeGb));
  for (int b : {0x7F, 0x80, 0x9F, 0xA0, 0xFF}) EXPECT_FALSE(IsBlank(SingleByteGlyph(static_cast<uint8_t>(b)), 16)) << b;
  // Each mark tells its byte.
  EXPECT_NE(GlyphBytes(SingleByteGlyph(0x80), 16), GlyphBytes(SingleByteGlyph(0x81), 16));
  EXPECT_TRUE(IsBlank(SingleByteGlyph(0x09), 16));
  EXPECT_TRUE(IsBlank(SingleByteGlyph(' '), 16));

  ASSERT_TRUE(LoadBuiltFont(CodeBig5));
  EXPECT_FALSE(IsBlank(SingleByteGlyph(0x90), 16));

  ASSERT_TRUE(LoadBuiltFont(CodeShiftJis));
  for (int b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF}) EXPECT_FALSE(IsBlank(SingleByteGlyph(static_cast<uint8_t>(b)), 16)) << b;
  for (int b = 0xA1; b <= 0xDF; ++b) EXPECT_FALSE(IsBlank(SingleByteGlyph(static_cast<uint8_t>(b)), 16)) << b;
  EXPECT_EQ(GlyphBytes(SingleByteGlyph('~'), 16), UnifontBitmap("unifont.hex", '~'));
}
