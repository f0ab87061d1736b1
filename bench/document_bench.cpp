// Throughput of the document core on 50 MB texts: HZ decoding, line
// breaking with code detection, and drawing lines into the line bitmap.
#include <benchmark/benchmark.h>

#include <vector>

#include "base/settings_values.h"
#include "document/document.h"
#include "document/glyph_font.h"
#include "document/hz_decode.h"
#include "document/line_bitmap.h"
#include "document/line_index.h"

namespace {
constexpr size_t TextSize = 50u << 20;

// Lines of 20 to 60 characters, mixed ASCII and hanzi, CR LF ends: in GB
// (pairs), or in UTF-8 (U+4E00 to U+9FA5, three bytes each).
std::vector<uint8_t> MakeText(size_t size, int code = CodeGb) {
  std::vector<uint8_t> text;
  text.reserve(size + 128);
  uint32_t seed = 12345;
  while (text.size() < size) {
    seed = seed * 1103515245u + 12345u;
    int length = 20 + static_cast<int>((seed >> 16) % 41);
    for (int i = 0; i < length; ++i) {
      seed = seed * 1103515245u + 12345u;
      if ((seed >> 16) % 4 == 0) {
        text.push_back(static_cast<uint8_t>('a' + (seed >> 20) % 26));
      } else if (code == CodeUtf8) {
        const uint32_t c = 0x4E00 + (seed >> 8) % 0x51A6;
        text.insert(text.end(), {static_cast<uint8_t>(0xE0 | c >> 12), static_cast<uint8_t>(0x80 | ((c >> 6) & 0x3F)),
                                 static_cast<uint8_t>(0x80 | (c & 0x3F))});
      } else {
        text.push_back(static_cast<uint8_t>(0xB0 + (seed >> 20) % 0x40));
        text.push_back(static_cast<uint8_t>(0xA1 + (seed >> 10) % 94));
      }
    }
    text.push_back('\r');
    text.push_back('\n');
  }
  text.resize(size);
  return text;
}

// Arguments: the cells of a line, and the code (GB detected, or UTF-8).
void BM_BuildLineIndex(benchmark::State& state) {
  const int textCode = static_cast<int>(state.range(1));
  std::vector<uint8_t> text = MakeText(TextSize, textCode);
  PutDocumentText(nullptr, text.data(), text.size());
  Settings.charsPerLine = static_cast<int>(state.range(0));
  for (auto _ : state) {
    int code = textCode == CodeUtf8 ? CodeUtf8 : CodeDetect;
    BuildLineIndex(nullptr, static_cast<uint32_t>(TextSize), &code);
    benchmark::DoNotOptimize(Document.lineCount);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(TextSize));
}
BENCHMARK(BM_BuildLineIndex)
    ->Args({80, CodeGb})
    ->Args({512, CodeGb})
    ->Args({80, CodeUtf8})
    ->Unit(benchmark::kMillisecond);

void BM_DecodeHz(benchmark::State& state) {
  std::vector<uint8_t> hz;
  hz.reserve(TextSize);
  while (hz.size() < TextSize) {
    for (const char* part : {"plain text ~{<:WV~} more ~~ text\r\n", "~{KjTB~}\r\n"})
      for (const char* p = part; *p != '\0'; ++p) hz.push_back(static_cast<uint8_t>(*p));
  }
  std::vector<uint8_t> out(hz.size() + 1);
  for (auto _ : state) benchmark::DoNotOptimize(DecodeHzBytes(hz.data(), hz.size(), out.data()));
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(hz.size()));
}
BENCHMARK(BM_DecodeHz)->Unit(benchmark::kMillisecond);

void BM_RenderLine(benchmark::State& state) {
  std::vector<uint8_t> line = MakeText(80);
  GlyphFont.bytes = AllocateZeroed<uint8_t>(265792);
  GlyphFont.size = 265792;
  for (size_t i = 0; i < GlyphFont.size; ++i) GlyphFont.bytes[i] = static_cast<uint8_t>(i * 31);
  Settings.charsPerLine = 80;
  AllocateLineBitmap(nullptr, 1024);
  CodeType = CodeGb;
  for (auto _ : state) {
    RenderLine(line.data(), 80, line.size());
    benchmark::DoNotOptimize(LineBitmap.bits[0]);
  }
  state.SetItemsProcessed(static_cast<int64_t>(state.iterations()));
}
BENCHMARK(BM_RenderLine);
}  // namespace

BENCHMARK_MAIN();
