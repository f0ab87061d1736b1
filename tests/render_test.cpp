// zk render run as a user runs it, on the samples and the built fonts; the
// pictures are read back with libpng.
#include <gtest/gtest.h>
#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "tests/data_support.h"

namespace {
struct Picture {
  int width = 0;
  int height = 0;
  Bytes rgb;  // three bytes a pixel, rows top first
};

Picture ReadPicture(const std::string& path) {
  Picture picture;
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
  image.format = PNG_FORMAT_RGB;
  Bytes rgb(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return picture;
  picture.width = static_cast<int>(image.width);
  picture.height = static_cast<int>(image.height);
  picture.rgb = std::move(rgb);
  return picture;
}

struct Colour {
  int r, g, b;
  bool operator==(const Colour&) const = default;
};

Colour PixelAt(const Picture& picture, int x, int y) {
  size_t at = 3 * (static_cast<size_t>(y) * picture.width + x);
  return Colour{picture.rgb[at], picture.rgb[at + 1], picture.rgb[at + 2]};
}

int RunZk(const std::string& arguments) {
  std::string command = std::string(ZK_PROGRAM) + " " + arguments + " >/dev/null 2>&1";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::string Sample(const std::string& name) { return "'" + std::string(ZK_SAMPLES_DIR) + "/" + name + "'"; }

// The cells from `cell` on, glyph rows top..top+15, hold `bitmap` (16 bytes:
// one cell; 32: two) in ink on background, and nothing else.
void ExpectGlyphAt(const Picture& picture, int cell, int top, const Bytes& bitmap, Colour ink, Colour back) {
  int cells = bitmap.size() == 32 ? 2 : 1;
  ASSERT_TRUE(bitmap.size() == 16 || bitmap.size() == 32);
  for (int row = 0; row < 16; ++row) {
    for (int x = 0; x < 8 * cells; ++x) {
      uint8_t byte = bitmap[static_cast<size_t>(row * cells + x / 8)];
      bool set = (byte >> (7 - x % 8)) & 1;
      ASSERT_EQ(PixelAt(picture, 8 * cell + x, top + row), set ? ink : back) << "row " << row << ", pixel " << x;
    }
  }
}

const Colour White{255, 255, 255}, DarkBlue{0, 0, 128}, Cyan{0, 255, 255}, DarkRed{128, 0, 0};
}  // namespace

TEST(ZkRender, DrawsEachSampleInTheFontOfItsCode) {
  ScratchFolder folder;
  struct Case {
    const char* sample;
    const char* hexFile;
    char32_t third;  // the character after "ZK ", in cells 3 and 4
  };
  const Case cases[] = {{"gb.txt", "unifont.hex", 0x793A},       // 示
                        {"big5.txt", "unifont.hex", 0x7BC4},     // 範
                        {"sjis.txt", "unifont_jp.hex", 0x30B5},  // サ
                        {"hz.txt", "unifont.hex", 0x793A}};
  for (const Case& sample : cases) {
    SCOPED_TRACE(sample.sample);
    std::string out = folder.File(std::string(sample.sample) + ".png");
    ASSERT_EQ(RunZk("render " + Sample(sample.sample) + " -o '" + out + "'"), 0);
    Picture picture = ReadPicture(out);
    // 80 cells and 2 more; 16 rows of glyph and 8 of spacing, 4 of them above.
    ASSERT_EQ(picture.width, 8 * 82);
    ASSERT_GT(picture.height, 0);
    EXPECT_EQ(picture.height % 24, 0);
    ExpectGlyphAt(picture, 0, 4, UnifontBitmap("unifont.hex", 'Z'), White, DarkBlue);
    ExpectGlyphAt(picture, 3, 4, UnifontBitmap(sample.hexFile, sample.third), White, DarkBlue);
    for (int x = 0; x < picture.width; ++x) ASSERT_EQ(PixelAt(picture, x, 0), DarkBlue);
  }
}

TEST(ZkRender, OptionsChooseCodeLinesSizeAndColours) {
  ScratchFolder folder;
  std::string text = folder.File("two.gb");
  WriteFile(text, Bytes{'a', '\r', '\n', 0xB0, 0xA1, '\r', '\n', 'c', '\r', '\n'});
  std::string out = folder.File("out.png");

  ASSERT_EQ(RunZk("render --first 2 --rows 1 --width 100 --spacing 2 --colours 11,4 '" + text + "' -o '" + out + "'"),
            0);
  Picture picture = ReadPicture(out);
  EXPECT_EQ(picture.width, 8 * 102);
  EXPECT_EQ(picture.height, 18);
  ExpectGlyphAt(picture, 0, 1, UnifontBitmap("unifont.hex", 0x554A), Cyan, DarkRed);  // 啊

  // The same bytes read as Big5 are another character.
  ASSERT_EQ(RunZk("render --code big5 --first 2 --rows 1 '" + text + "' -o '" + out + "'"), 0);
  picture = ReadPicture(out);
  EXPECT_EQ(picture.height, 24);
  ExpectGlyphAt(picture, 0, 4, UnifontBitmap("unifont.hex", DecodeWithIconv("BIG5", 0xB0, 0xA1)), White, DarkBlue);

  // Rows past the end are not asked for: all three lines.
  ASSERT_EQ(RunZk("render --rows 50 '" + text + "' -o '" + out + "'"), 0);
  EXPECT_EQ(ReadPicture(out).height, 3 * 24);
}

TEST(ZkRender, RefusesWhatItCannotDraw) {
  ScratchFolder folder;
  std::string text = folder.File("a.gb");
  WriteFile(text, ToBytes("abc\r\n"));
  std::string out = folder.File("out.png");
  EXPECT_EQ(RunZk("render '" + text + "'"), 2);  // no -o
  EXPECT_EQ(RunZk("render --code utf8 '" + text + "' -o '" + out + "'"), 2);
  EXPECT_EQ(RunZk("render --colours 16,1 '" + text + "' -o '" + out + "'"), 2);
  EXPECT_EQ(RunZk("render --colours 15 '" + text + "' -o '" + out + "'"), 2);
  EXPECT_EQ(RunZk("render --first 0 '" + text + "' -o '" + out + "'"), 2);
  EXPECT_EQ(RunZk("render --first 2 '" + text + "' -o '" + out + "'"), 1);
  EXPECT_EQ(RunZk("render '" + folder.File("missing.gb") + "' -o '" + out + "'"), 1);
  EXPECT_EQ(RunZk("render '" + text + "' -o '" + folder.File("no/such/folder.png") + "'"), 1);
  EXPECT_FALSE(std::filesystem::exists(out));
}
