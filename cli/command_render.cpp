#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <string>

#include "base/prompts.h"
#include "base/settings_values.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "document/cells.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"

namespace {
const char* const RenderHelp =
    "usage: zk render [OPTIONS] FILE -o OUT.png\n"
    "Loads FILE as the viewer does and draws its display lines with the font\n"
    "file of its code, from beside zk, into a PNG picture: each line is\n"
    "8 x (width + 2, made even) pixels wide and 16 + spacing pixels high.\n"
    "  --code CODE           draw in this code instead of the detected one: gb, big5,\n"
    "                        sjis, utf8, utf16le or utf16be\n"
    "  --width N             cells per display line (default 80, kept within 16..512)\n"
    "  --spacing N           pixel rows between lines (default 8, kept within 2..16)\n"
    "  --colours TEXT,BACK   palette indexes 0..15 of ink and background (default 15,1)\n"
    "  --first L             first display line to draw, counted from 1 (default 1)\n"
    "  --rows R              number of lines to draw (default: all, at most 200); a\n"
    "                        picture is at most 1000000 pixels high, so at most\n"
    "                        41666 lines of 24 pixels (55555 of 18, 31250 of 32)\n"
    "  --no-hz               do not decode HZ escapes\n"
    "  -o OUT.png            the picture to write\n";

constexpr long long DefaultRows = 200;
constexpr long long MaxRows = 1000000;
// The tallest picture the PNG library writes.
constexpr long long MaxPictureHeight = PNG_USER_HEIGHT_MAX;

struct RenderRequest {
  int firstLine = 0;  // counted from 0
  int rows = 0;
  uint32_t textColour = 0;
  uint32_t backColour = 0;
};

png_color ToPngColour(uint32_t colour) {
  return png_color{static_cast<png_byte>(colour & 0xFF), static_cast<png_byte>((colour >> 8) & 0xFF),
                   static_cast<png_byte>((colour >> 16) & 0xFF)};
}

// Bytes that RenderLine may read from the start of line j: the rest of the
// text and the 0 byte after it.
size_t ReadableFrom(uint32_t start) {
  size_t end = static_cast<size_t>(Document.textLength) + 1;
  if (end > Document.textSize) end = Document.textSize;
  return start < end ? end - start : 0;
}

// libpng's writer; a failed write ends the picture through png_error.
void WritePngBytes(png_structp png, png_bytep bytes, size_t count) {
  if (!WriteReplacement(static_cast<ReplacementRecord*>(png_get_io_ptr(png)), bytes, count))
    png_error(png, "write failed");
}

// The line bitmap is one bit a pixel, leftmost pixel in bit 7, set for ink:
// exactly a two-colour PNG row with ink as palette entry 1. No C++ object
// lives in this frame, since libpng reports errors by longjmp.
bool WritePicture(ReplacementRecord* out, const RenderRequest& request) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (info == nullptr) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_set_write_fn(png, out, WritePngBytes, nullptr);
  png_uint_32 width = static_cast<png_uint_32>(CellWidth * LineBitmap.bytesPerRow);
  png_uint_32 height = static_cast<png_uint_32>(request.rows) * static_cast<png_uint_32>(LineBitmap.lineHeight);
  png_set_IHDR(png, info, width, height, 1, PNG_COLOR_TYPE_PALETTE, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
               PNG_FILTER_TYPE_DEFAULT);
  png_color palette[2] = {ToPngColour(request.backColour), ToPngColour(request.textColour)};
  png_set_PLTE(png, info, palette, 2);
  png_write_info(png, info);
  for (int line = request.firstLine; line < request.firstLine + request.rows; ++line) {
    uint32_t start = Document.LineIndex[line];
    int count = static_cast<int>(Document.LineIndex[line + 1] - start);
    RenderLine(Document.text.get() + start, count, ReadableFrom(start));
    for (int row = 0; row < LineBitmap.lineHeight; ++row) {
      png_write_row(png, LineBitmap.bits.get() + static_cast<size_t>(row) * LineBitmap.bytesPerRow);
    }
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

bool ParseColours(const std::string& text, int& textIndex, int& backIndex) {
  size_t comma = text.find(',');
  long long ink = 0, back = 0;
  if (comma == std::string::npos || !ParseInteger(text.substr(0, comma), ink) ||
      !ParseInteger(text.substr(comma + 1), back) || ink < 0 || ink > 15 || back < 0 || back > 15) {
    return false;
  }
  textIndex = static_cast<int>(ink);
  backIndex = static_cast<int>(back);
  return true;
}
}  // namespace

int RunRenderCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first,
                              {{"--code", true},
                               {"--width", true},
                               {"--spacing", true},
                               {"--colours", true},
                               {"--first", true},
                               {"--rows", true},
                               {"--no-hz", false},
                               {"-o", true}});
  if (args.help) {
    std::fputs(RenderHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("render", args.error);
  if (args.positional.size() != 1) return UsageError("render", "render takes one FILE");
  const std::string* output = OptionValue(args, "-o");
  if (output == nullptr) return UsageError("render", "render needs -o OUT.png");

  int code = -1;
  if (!ParseCodeOption(args, &code))
    return UsageError("render", "--code takes gb, big5, sjis, utf8, utf16le or utf16be");
  long long width = 80, spacing = 8, firstLine = 1, rows = 0;
  if (!ParseWholeOption(args, "--width", -1000000, 1000000, width))
    return UsageError("render", "--width takes a whole number");
  if (!ParseWholeOption(args, "--spacing", -1000000, 1000000, spacing))
    return UsageError("render", "--spacing takes a whole number");
  if (!ParseWholeOption(args, "--first", 1, 1000000000, firstLine))
    return UsageError("render", "--first takes a line number from 1");
  if (!ParseWholeOption(args, "--rows", 1, MaxRows, rows)) return UsageError("render", "--rows takes a number from 1");
  int textIndex = 15, backIndex = 1;
  if (const std::string* colours = OptionValue(args, "--colours")) {
    if (!ParseColours(*colours, textIndex, backIndex))
      return UsageError("render", "--colours takes TEXT,BACK, each 0..15");
  }
  Settings.charsPerLine = ClampCharsPerLine(static_cast<int>(width));
  Settings.lineSpacing = ClampLineSpacing(static_cast<int>(spacing));
  Settings.supportHZ = HasOption(args, "--no-hz") ? 0 : 1;
  Settings.textIndex = textIndex;
  Settings.backIndex = backIndex;
  ApplyColourIndexes();

  LoadAndIndexDocument(nullptr, args.positional[0].c_str());
  if (code >= 0) SwitchDocumentCode(nullptr, code);
  if (AnyErrorShown()) return 1;
  if (firstLine > Document.lineCount) {
    std::fprintf(stderr, "zk: %s has %d display lines; nothing to draw from line %lld\n", args.positional[0].c_str(),
                 Document.lineCount, firstLine);
    return 1;
  }
  if (!LoadCodeFont(nullptr) || !AllocateLineBitmap(nullptr, 0)) return 1;

  RenderRequest request;
  request.firstLine = static_cast<int>(firstLine - 1);
  long long left = Document.lineCount - request.firstLine;
  request.rows = static_cast<int>(rows > 0 ? (rows < left ? rows : left) : (left < DefaultRows ? left : DefaultRows));
  request.textColour = Settings.textColour;
  request.backColour = Settings.backColour;
  // Refused before the output is touched: a picture the PNG library cannot
  // write would leave nothing of the file that was there.
  if (static_cast<long long>(request.rows) * LineBitmap.lineHeight > MaxPictureHeight) {
    return UsageError("render", "a picture is at most " + std::to_string(MaxPictureHeight) +
                                    " pixels high: " + std::to_string(MaxPictureHeight / LineBitmap.lineHeight) +
                                    " lines of " + std::to_string(LineBitmap.lineHeight) + " pixels");
  }
  return WriteCommandOutput(args.positional[0], *output,
                            [&](ReplacementRecord* file) { return WritePicture(file, request); });
}
