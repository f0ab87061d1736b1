// Throughput of the six conversion directions on 50 MB generated sources,
// through generated tables of the real sizes, into a sink that keeps
// nothing. Bytes per second count source bytes.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "bench/convert_samples.h"
#include "convert/converters.h"

namespace {
size_t Discard(void*, const uint8_t*, size_t count) { return count; }

size_t Collect(void* handle, const uint8_t* bytes, size_t count) {
  static_cast<std::vector<uint8_t>*>(handle)->insert(static_cast<std::vector<uint8_t>*>(handle)->end(), bytes,
                                                     bytes + count);
  return count;
}

const ByteSink NullSink{Discard, nullptr};

// The generated table and an extension of the real size.
ConvertTables TablesOf(const std::vector<uint8_t>& table, const std::vector<uint8_t>& extension) {
  return ConvertTables{table.data(), table.size(), extension.data(), extension.size(), {0xA1, 0x48}};
}

void Report(benchmark::State& state, size_t bytes) {
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes));
}

void BM_GbToBig5(benchmark::State& state) {
  std::vector<uint8_t> source = MakeGbSample();
  std::vector<uint8_t> table = MakeSampleTable(GbTableCells, 11), extension = MakeSampleTable(24066, 11);
  const ConvertTables tables = TablesOf(table, extension);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbBig5(NullSink, tables, source.data(), source.size(), 0));
  Report(state, source.size());
}
BENCHMARK(BM_GbToBig5)->Unit(benchmark::kMillisecond);

void BM_Big5ToGb(benchmark::State& state) {
  std::vector<uint8_t> source = MakeBig5Sample();
  std::vector<uint8_t> table = MakeSampleTable(Big5TableCells, 12), extension = MakeSampleTable(24066, 12);
  const ConvertTables tables = TablesOf(table, extension);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbBig5(NullSink, tables, source.data(), source.size(), 1));
  Report(state, source.size());
}
BENCHMARK(BM_Big5ToGb)->Unit(benchmark::kMillisecond);

void BM_GbToSjis(benchmark::State& state) {
  std::vector<uint8_t> source = MakeGbSample();
  std::vector<uint8_t> table = MakeSampleTable(GbTableCells, 13), extension = MakeSampleTable(24066, 13);
  const ConvertTables tables = TablesOf(table, extension);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbSjis(NullSink, tables, source.data(), source.size(), 0));
  Report(state, source.size());
}
BENCHMARK(BM_GbToSjis)->Unit(benchmark::kMillisecond);

void BM_SjisToGb(benchmark::State& state) {
  std::vector<uint8_t> source = MakeSjisSample();
  std::vector<uint8_t> table = MakeSampleTable(SjisTableCells, 14), extension = MakeSampleTable(24066, 14);
  const ConvertTables tables = TablesOf(table, extension);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbSjis(NullSink, tables, source.data(), source.size(), 1));
  Report(state, source.size());
}
BENCHMARK(BM_SjisToGb)->Unit(benchmark::kMillisecond);

void BM_GbToHz(benchmark::State& state) {
  std::vector<uint8_t> source = MakeGbSample();
  for (auto _ : state) benchmark::DoNotOptimize(ConvertGbToHz(NullSink, source.data(), source.size()));
  Report(state, source.size());
}
BENCHMARK(BM_GbToHz)->Unit(benchmark::kMillisecond);

void BM_HzToGb(benchmark::State& state) {
  std::vector<uint8_t> gb = MakeGbSample();
  std::vector<uint8_t> source;
  source.reserve(2 * gb.size());
  ConvertGbToHz(ByteSink{Collect, &source}, gb.data(), gb.size());
  source.resize(SampleSourceSize);
  for (auto _ : state) benchmark::DoNotOptimize(ConvertHzToGb(NullSink, source.data(), source.size()));
  Report(state, source.size());
}
BENCHMARK(BM_HzToGb)->Unit(benchmark::kMillisecond);
}  // namespace

BENCHMARK_MAIN();
