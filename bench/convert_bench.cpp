// Throughput of the six conversion directions on 50 MB generated sources,
// through generated tables of the real sizes, into a sink that keeps
// nothing. Bytes per second count source bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "convert/converters.h"

namespace {
constexpr size_t SourceSize = 50u << 20;

struct Generator {
  uint32_t seed;
  uint32_t Next(uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % range;
  }
};

// Lines of 20 to 60 characters ended by CR LF; about one character in four is
// ASCII, the others come from `pairFor`.
template <typename PairFor>
std::vector<uint8_t> MakeText(uint32_t seed, PairFor pairFor) {
  Generator random{seed};
  std::vector<uint8_t> text;
  text.reserve(SourceSize + 128);
  while (text.size() < SourceSize) {
    uint32_t length = 20 + random.Next(41);
    for (uint32_t i = 0; i < length; ++i) {
      if (random.Next(4) == 0) {
        text.push_back(static_cast<uint8_t>('a' + random.Next(26)));
      } else {
        uint16_t pair = pairFor(random);
        text.push_back(static_cast<uint8_t>(pair >> 8));
        text.push_back(static_cast<uint8_t>(pair & 0xFF));
      }
    }
    text.push_back('\r');
    text.push_back('\n');
  }
  text.resize(SourceSize);
  return text;
}

std::vector<uint8_t> MakeGbText() {
  return MakeText(1, [](Generator& r) { return static_cast<uint16_t>((0xB0 + r.Next(39)) << 8 | (0xA1 + r.Next(94))); });
}

std::vector<uint8_t> MakeBig5Text() {
  return MakeText(2, [](Generator& r) {
    uint32_t trail = r.Next(157);
    return static_cast<uint16_t>((0xA4 + r.Next(0x56)) << 8 | (trail < 63 ? 0x40 + trail : 0x62 + trail));
  });
}

std::vector<uint8_t> MakeSjisText() {
  return MakeText(3, [](Generator& r) {
    uint32_t lead = r.Next(40);
    uint32_t trail = 0x40 + r.Next(188);
    return static_cast<uint16_t>((lead < 31 ? 0x81 + lead : 0xE0 + lead - 31) << 8 | (trail >= 0x7F ? trail + 1 : trail));
  });
}

std::vector<uint8_t> MakeTable(size_t cells, uint32_t seed) {
  Generator random{seed};
  std::vector<uint8_t> table(2 * cells);
  for (size_t c = 0; c < cells; ++c) {
    table[2 * c] = static_cast<uint8_t>(0xA1 + random.Next(94));
    table[2 * c + 1] = static_cast<uint8_t>(0xA1 + random.Next(94));
  }
  return table;
}

size_t Discard(void*, const uint8_t*, size_t count) { return count; }

size_t Collect(void* handle, const uint8_t* bytes, size_t count) {
  static_cast<std::vector<uint8_t>*>(handle)->insert(static_cast<std::vector<uint8_t>*>(handle)->end(), bytes,
                                                      bytes + count);
  return count;
}

const ByteSink NullSink{Discard, nullptr};

void Report(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_GbToBig5(benchmark::State& state) {
  std::vector<uint8_t> source = MakeGbText();
  std::vector<uint8_t> table = MakeTable(GbTableCells, 11);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbBig5(NullSink, table.data(), table.size(), source.data(), source.size(), 0));
  Report(state, source.size());
}
BENCHMARK(BM_GbToBig5)->Unit(benchmark::kMillisecond);

void BM_Big5ToGb(benchmark::State& state) {
  std::vector<uint8_t> source = MakeBig5Text();
  std::vector<uint8_t> table = MakeTable(Big5TableCells, 12);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbBig5(NullSink, table.data(), table.size(), source.data(), source.size(), 1));
  Report(state, source.size());
}
BENCHMARK(BM_Big5ToGb)->Unit(benchmark::kMillisecond);

void BM_GbToSjis(benchmark::State& state) {
  std::vector<uint8_t> source = MakeGbText();
  std::vector<uint8_t> table = MakeTable(GbTableCells, 13);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbSjis(NullSink, table.data(), table.size(), source.data(), source.size(), 0));
  Report(state, source.size());
}
BENCHMARK(BM_GbToSjis)->Unit(benchmark::kMillisecond);

void BM_SjisToGb(benchmark::State& state) {
  std::vector<uint8_t> source = MakeSjisText();
  std::vector<uint8_t> table = MakeTable(SjisTableCells, 14);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbSjis(NullSink, table.data(), table.size(), source.data(), source.size(), 1));
  Report(state, source.size());
}
BENCHMARK(BM_SjisToGb)->Unit(benchmark::kMillisecond);

void BM_GbToHz(benchmark::State& state) {
  std::vector<uint8_t> source = MakeGbText();
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbToHz(NullSink, source.data(), source.size()));
  Report(state, source.size());
}
BENCHMARK(BM_GbToHz)->Unit(benchmark::kMillisecond);

void BM_HzToGb(benchmark::State& state) {
  std::vector<uint8_t> gb = MakeGbText();
  std::vector<uint8_t> source;
  source.reserve(2 * gb.size());
  ConvertGbToHz(ByteSink{Collect, &source}, gb.data(), gb.size());
  source.resize(SourceSize);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertHzToGb(NullSink, source.data(), source.size()));
  Report(state, source.size());
}
BENCHMARK(BM_HzToGb)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
