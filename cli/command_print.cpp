// zk print: the pages ZK.exe prints, made into a PDF file without Windows
// or a printer. The page is the printable area of a device of the given
// resolution; every printed line is the one-bit line rendering, scaled as a
// stencil with nearest-neighbour sampling so that glyphs stay sharp.
#include <cairo-pdf.h>
#include <cairo.h>
#include <dlfcn.h>
#include <iconv.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "base/prompts.h"
#include "base/settings_values.h"
#include "cli/cli_args.h"
#include "cli/commands.h"
#include "document/cells.h"
#include "document/display_line.h"
#include "document/document.h"
#include "document/document_lines.h"
#include "document/file_name.h"
#include "document/glyph_font.h"
#include "document/line_bitmap.h"
#include "print/header_footer.h"
#include "print/page_layout.h"

namespace {
// cairo is loaded only when a PDF is made: every other command starts
// without it and the many libraries it brings, which take memory and time.
struct CairoFunctions {
  decltype(&cairo_format_stride_for_width) formatStrideForWidth;
  decltype(&cairo_image_surface_create_for_data) imageSurfaceCreateForData;
  decltype(&cairo_pattern_create_for_surface) patternCreateForSurface;
  decltype(&cairo_pattern_set_filter) patternSetFilter;
  decltype(&cairo_save) save;
  decltype(&cairo_scale) scale;
  decltype(&cairo_translate) translate;
  decltype(&cairo_set_source_rgb) setSourceRgb;
  decltype(&cairo_mask) mask;
  decltype(&cairo_restore) restore;
  decltype(&cairo_pattern_destroy) patternDestroy;
  decltype(&cairo_surface_destroy) surfaceDestroy;
  decltype(&cairo_show_page) showPage;
  decltype(&cairo_pdf_surface_create_for_stream) pdfSurfaceCreateForStream;
  decltype(&cairo_create) create;
  decltype(&cairo_status) status;
  decltype(&cairo_destroy) destroy;
  decltype(&cairo_surface_finish) surfaceFinish;
  decltype(&cairo_surface_status) surfaceStatus;
};

CairoFunctions Cairo;

template <typename Function>
bool Bind(void* handle, const char* name, Function& function) {
  function = reinterpret_cast<Function>(dlsym(handle, name));
  return function != nullptr;
}

// False when the library, or a function of it, cannot be had.
bool LoadCairo() {
  static const bool loaded = [] {
    void* handle = dlopen("libcairo.so.2", RTLD_NOW | RTLD_LOCAL);
    return handle != nullptr && Bind(handle, "cairo_format_stride_for_width", Cairo.formatStrideForWidth) &&
           Bind(handle, "cairo_image_surface_create_for_data", Cairo.imageSurfaceCreateForData) &&
           Bind(handle, "cairo_pattern_create_for_surface", Cairo.patternCreateForSurface) &&
           Bind(handle, "cairo_pattern_set_filter", Cairo.patternSetFilter) && Bind(handle, "cairo_save", Cairo.save) &&
           Bind(handle, "cairo_scale", Cairo.scale) && Bind(handle, "cairo_translate", Cairo.translate) &&
           Bind(handle, "cairo_set_source_rgb", Cairo.setSourceRgb) && Bind(handle, "cairo_mask", Cairo.mask) &&
           Bind(handle, "cairo_restore", Cairo.restore) &&
           Bind(handle, "cairo_pattern_destroy", Cairo.patternDestroy) &&
           Bind(handle, "cairo_surface_destroy", Cairo.surfaceDestroy) &&
           Bind(handle, "cairo_show_page", Cairo.showPage) &&
           Bind(handle, "cairo_pdf_surface_create_for_stream", Cairo.pdfSurfaceCreateForStream) &&
           Bind(handle, "cairo_create", Cairo.create) && Bind(handle, "cairo_status", Cairo.status) &&
           Bind(handle, "cairo_destroy", Cairo.destroy) && Bind(handle, "cairo_surface_finish", Cairo.surfaceFinish) &&
           Bind(handle, "cairo_surface_status", Cairo.surfaceStatus);
  }();
  return loaded;
}

const char* const PrintHelp =
    "usage: zk print [OPTIONS] FILE -o OUT.pdf\n"
    "Loads FILE as the viewer does and lays out its display lines on pages as\n"
    "ZK.exe prints them: each line stretched across the page between the\n"
    "margins, black on white, a header line at the top edge and a footer line\n"
    "at the bottom edge of every page.\n"
    "  --head TEXT           header template (default none): &f file name, &p page,\n"
    "                        &d date, &t time; &l, &c, &r: the left, centre or right\n"
    "                        part of the line takes the text that follows\n"
    "  --foot TEXT           footer template, the same codes (default none)\n"
    "  --top N, --bottom N, --left N, --right N\n"
    "                        margins in device pixels (default 150 each)\n"
    "  --paper a4|letter|WxH the page: a name, or its width and height in points\n"
    "                        of 1/72 inch (default a4)\n"
    "  --dpi N               device pixels per inch (default 300, within 72..1200)\n"
    "  --width N             cells per display line (default 80, kept within 16..512)\n"
    "  --spacing N           pixel rows between lines (default 8, kept within 2..16)\n"
    "  --first L, --last L   print display lines L.. up to ..L, counted from 1\n"
    "                        (default the whole document)\n"
    "  --code CODE           draw in this code instead of the detected one: gb, big5,\n"
    "                        sjis, utf8, utf16le or utf16be\n"
    "  --no-hz               do not decode HZ escapes\n"
    "  -o OUT.pdf            the PDF file to write\n";

struct Paper {
  double widthPoints = 0;
  double heightPoints = 0;
};

bool ParsePaper(const std::string& text, Paper* paper) {
  if (text == "a4") {
    *paper = {210.0 / 25.4 * 72.0, 297.0 / 25.4 * 72.0};
    return true;
  }
  if (text == "letter") {
    *paper = {612, 792};
    return true;
  }
  size_t cross = text.find('x');
  long long width = 0, height = 0;
  if (cross == std::string::npos || !ParseInteger(text.substr(0, cross), width) ||
      !ParseInteger(text.substr(cross + 1), height) || width < 72 || height < 72 || width > 14400 || height > 14400) {
    return false;
  }
  *paper = {static_cast<double>(width), static_cast<double>(height)};
  return true;
}

// `utf8` in the bytes of `code`, each character the code lacks (or a byte
// that is no UTF-8) as "?", so that "&f" draws the name in the ZK font.
std::string CodeBytesFromUtf8(const char* utf8, int code) {
  static const char* const Names[] = {"GB2312", "BIG5", "CP932"};
  if (IsUnicodeCode(code)) return utf8;
  std::string out;
  iconv_t convert = iconv_open(Names[code >= 0 && code <= 2 ? code : 0], "UTF-8");
  if (convert == reinterpret_cast<iconv_t>(-1)) return out;
  size_t length = std::strlen(utf8);
  size_t at = 0;
  while (at < length) {
    // One character at a time: its length from its first byte.
    unsigned char lead = static_cast<unsigned char>(utf8[at]);
    size_t size = lead < 0x80 ? 1 : (lead >> 5) == 6 ? 2 : (lead >> 4) == 14 ? 3 : (lead >> 3) == 30 ? 4 : 1;
    if (size > length - at) size = length - at;
    char in[4];
    std::memcpy(in, utf8 + at, size);
    char bytes[8];
    char* inPointer = in;
    char* outPointer = bytes;
    size_t inLeft = size, outLeft = sizeof bytes;
    if (iconv(convert, &inPointer, &inLeft, &outPointer, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
      out += '?';
      iconv(convert, nullptr, nullptr, nullptr, nullptr);
    } else {
      out.append(bytes, static_cast<size_t>(outPointer - bytes));
    }
    at += size;
  }
  iconv_close(convert);
  return out;
}

// Cairo keeps one-bit pixels in 32-bit words of the machine's order: on a
// little-endian machine the leftmost pixel of a byte is its lowest bit, where
// the line bitmap has it in the highest.
uint8_t StencilByte(uint8_t b) {
  const uint32_t probe = 1;
  uint8_t low;
  std::memcpy(&low, &probe, 1);
  if (low != 1) return b;
  uint8_t reversed = 0;
  for (int bit = 0; bit < 8; ++bit) reversed = static_cast<uint8_t>(reversed | (((b >> bit) & 1) << (7 - bit)));
  return reversed;
}

struct PrintJob {
  PageLayout layout;
  double pointsPerPixel = 0;  // 72 / dpi
  std::string header;
  std::string footer;
  std::string fileName;  // in the bytes of the current code
  cairo_t* cairo = nullptr;
  std::vector<uint8_t> stencil;  // one line in cairo's one-bit order
};

// Puts the line bitmap's first `cells` cells (at least charsPerLine) on the
// page at device y: charsPerLine cells across the print width, the rest on
// at that scale, as a black stencil sampled nearest-neighbour.
void PlaceLine(PrintJob& job, int cells, int y) {
  const PageLayout& layout = job.layout;
  if (LineBitmap.bits == nullptr) return;
  if (cells < layout.charsPerLine) cells = layout.charsPerLine;
  if (cells > LineBitmap.bytesPerRow) cells = LineBitmap.bytesPerRow;
  const int width = CellWidth * cells;
  const int height = LineBitmap.lineHeight;
  const int stride = Cairo.formatStrideForWidth(CAIRO_FORMAT_A1, width);
  job.stencil.assign(static_cast<size_t>(stride) * height, 0);
  for (int row = 0; row < height; ++row) {
    const uint8_t* from = LineBitmap.bits.get() + static_cast<size_t>(row) * LineBitmap.bytesPerRow;
    uint8_t* to = job.stencil.data() + static_cast<size_t>(row) * stride;
    for (int cell = 0; cell < cells; ++cell) to[cell] = StencilByte(from[cell]);
  }
  cairo_surface_t* image = Cairo.imageSurfaceCreateForData(job.stencil.data(), CAIRO_FORMAT_A1, width, height, stride);
  cairo_pattern_t* pattern = Cairo.patternCreateForSurface(image);
  Cairo.patternSetFilter(pattern, CAIRO_FILTER_NEAREST);
  Cairo.save(job.cairo);
  Cairo.scale(job.cairo, job.pointsPerPixel, job.pointsPerPixel);
  Cairo.translate(job.cairo, layout.margins.left, y);
  Cairo.scale(job.cairo, static_cast<double>(layout.printWidth) / (8.0 * layout.charsPerLine),
              static_cast<double>(layout.printLineHeight) / height);
  Cairo.setSourceRgb(job.cairo, 0, 0, 0);
  Cairo.mask(job.cairo, pattern);
  Cairo.restore(job.cairo);
  Cairo.patternDestroy(pattern);
  Cairo.surfaceDestroy(image);
}

void PrintBodyLine(void* context, int line, int y) {
  auto* job = static_cast<PrintJob*>(context);
  DisplayLineBytes row = DisplayLine(line);
  PlaceLine(*job, RenderLine(row.bytes, row.count, row.readable), y);
}

void PrintEdgeLine(void* context, int which, int page) {
  auto* job = static_cast<PrintJob*>(context);
  const std::string& templateText = which == 0 ? job->header : job->footer;
  if (templateText.empty()) return;
  std::time_t seconds = std::time(nullptr);
  std::tm local{};
  localtime_r(&seconds, &local);
  LocalTime now{local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min};
  uint8_t line[MaxCharsPerLine];
  size_t length = ComposeHeaderFooter(templateText.c_str(), page, job->fileName.c_str(), now, job->layout.charsPerLine,
                                      line, sizeof line);
  if (length == 0) return;
  int cells = RenderText(HeaderCodeOf(CodeType), line, static_cast<int>(length), length);
  PlaceLine(*job, cells, which == 0 ? HeaderTop(job->layout) : FooterTop(job->layout));
}

void ClosePage(void* context, int) { Cairo.showPage(static_cast<PrintJob*>(context)->cairo); }

cairo_status_t WriteToFile(void* closure, const unsigned char* data, unsigned int length) {
  return WriteReplacement(static_cast<ReplacementRecord*>(closure), data, length) ? CAIRO_STATUS_SUCCESS
                                                                                  : CAIRO_STATUS_WRITE_ERROR;
}

// Writes the pages into `out`; false when cairo or the file failed.
bool WritePdf(ReplacementRecord* out, const Paper& paper, PrintJob& job, PrintRange range) {
  cairo_surface_t* surface = Cairo.pdfSurfaceCreateForStream(WriteToFile, out, paper.widthPoints, paper.heightPoints);
  job.cairo = Cairo.create(surface);
  PrintSink sink;
  sink.context = &job;
  sink.printLine = PrintBodyLine;
  sink.printHeaderFooter = PrintEdgeLine;
  sink.closePage = ClosePage;
  PrintPages(job.layout, range, sink);
  bool written = Cairo.status(job.cairo) == CAIRO_STATUS_SUCCESS;
  Cairo.destroy(job.cairo);
  job.cairo = nullptr;
  Cairo.surfaceFinish(surface);
  written = written && Cairo.surfaceStatus(surface) == CAIRO_STATUS_SUCCESS;
  Cairo.surfaceDestroy(surface);
  return written;
}
}  // namespace

int RunPrintCommand(int argc, char** argv, int first) {
  ParsedArgs args = ParseArgs(argc, argv, first,
                              {{"--head", true},
                               {"--foot", true},
                               {"--top", true},
                               {"--bottom", true},
                               {"--left", true},
                               {"--right", true},
                               {"--paper", true},
                               {"--dpi", true},
                               {"--width", true},
                               {"--spacing", true},
                               {"--first", true},
                               {"--last", true},
                               {"--code", true},
                               {"--no-hz", false},
                               {"-o", true}});
  if (args.help) {
    std::fputs(PrintHelp, stdout);
    return 0;
  }
  if (!args.error.empty()) return UsageError("print", args.error);
  if (args.positional.size() != 1) return UsageError("print", "print takes one FILE");
  const std::string* output = OptionValue(args, "-o");
  if (output == nullptr) return UsageError("print", "print needs -o OUT.pdf");
  if (!LoadCairo()) {
    std::fputs("zk: print needs the cairo library (libcairo.so.2), which could not be loaded\n", stderr);
    return 1;
  }

  int code = -1;
  if (!ParseCodeOption(args, &code))
    return UsageError("print", "--code takes gb, big5, sjis, utf8, utf16le or utf16be");
  Paper paper;
  ParsePaper("a4", &paper);
  if (const std::string* text = OptionValue(args, "--paper")) {
    if (!ParsePaper(*text, &paper)) return UsageError("print", "--paper takes a4, letter or WxH in points, 72..14400");
  }
  long long dpi = 300, width = 80, spacing = 8, firstLine = 1, lastLine = 2147483647LL;
  if (!ParseWholeOption(args, "--dpi", 72, 1200, dpi)) return UsageError("print", "--dpi takes a number, 72..1200");
  if (!ParseWholeOption(args, "--width", -1000000, 1000000, width))
    return UsageError("print", "--width takes a whole number");
  if (!ParseWholeOption(args, "--spacing", -1000000, 1000000, spacing))
    return UsageError("print", "--spacing takes a whole number");
  if (!ParseWholeOption(args, "--first", 1, 2147483647LL, firstLine) ||
      !ParseWholeOption(args, "--last", 1, 2147483647LL, lastLine) || lastLine < firstLine) {
    return UsageError("print", "--first and --last take line numbers from 1, first not after last");
  }
  PageMargins margins;
  int* const sides[] = {&margins.top, &margins.bottom, &margins.left, &margins.right};
  const char* const sideNames[] = {"--top", "--bottom", "--left", "--right"};
  for (int k = 0; k < 4; ++k) {
    long long value = *sides[k];
    if (!ParseWholeOption(args, sideNames[k], -1000000, 1000000, value))
      return UsageError("print", std::string(sideNames[k]) + " takes a number of device pixels");
    *sides[k] = static_cast<int>(value);
  }
  Settings.charsPerLine = ClampCharsPerLine(static_cast<int>(width));
  Settings.lineSpacing = ClampLineSpacing(static_cast<int>(spacing));
  Settings.supportHZ = HasOption(args, "--no-hz") ? 0 : 1;

  LoadAndIndexDocument(nullptr, args.positional[0].c_str());
  if (code >= 0) SwitchDocumentCode(nullptr, code);
  if (AnyErrorShown()) return 1;
  SetDocumentFileName(args.positional[0].c_str());
  if (!LoadCodeFont(nullptr) || !AllocateLineBitmap(nullptr, 0)) return 1;

  PrintJob job;
  job.pointsPerPixel = 72.0 / static_cast<double>(dpi);
  int pageWidth = static_cast<int>(std::lround(paper.widthPoints * static_cast<double>(dpi) / 72.0));
  int pageHeight = static_cast<int>(std::lround(paper.heightPoints * static_cast<double>(dpi) / 72.0));
  int refusal = PlanPage(pageWidth, pageHeight, margins, Settings.charsPerLine, LineBitmap.lineHeight, &job.layout);
  if (refusal != 0) {
    ShowErrorBox(nullptr, refusal, nullptr, StyleStop);
    return 1;
  }
  PrintRange range =
      LinesToPrint(true, static_cast<int>(firstLine - 1), static_cast<int>(lastLine - 1), Document.lineCount);
  if (range.count == 0) {
    std::fprintf(stderr, "zk: %s has %d display lines; nothing to print from line %lld\n", args.positional[0].c_str(),
                 Document.lineCount, firstLine);
    return 1;
  }
  if (const std::string* text = OptionValue(args, "--head")) job.header = *text;
  if (const std::string* text = OptionValue(args, "--foot")) job.footer = *text;
  job.fileName = CodeBytesFromUtf8(Document.fileName, CodeType);

  return WriteCommandOutput(args.positional[0], *output,
                            [&](ReplacementRecord* file) { return WritePdf(file, paper, job, range); });
}
