#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "bench/bench_data.h"
#include "bench/ratio_report.h"
#include "wipe/scale_grey_image.h"
#include "wipe/transition_table.h"

namespace {

constexpr size_t kPalFrame = 768 * 576;

void TableSubject(benchmark::State& state) {
  const std::vector<uint8_t> pattern = NoiseBytes(kPalFrame);
  std::vector<uint8_t> alpha(kPalFrame);
  TransitionTable table;
  BuildTransitionTable(table, 128, 48);
  for (auto _ : state) {
    ApplyTransitionTable(alpha.data(), pattern.data(), table, kPalFrame);
    benchmark::DoNotOptimize(alpha.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPalFrame));
}

void TableBaseline(benchmark::State& state) {
  const std::vector<uint8_t> pattern = NoiseBytes(kPalFrame);
  std::vector<uint8_t> alpha(kPalFrame);
  for (auto _ : state) {
    std::memcpy(alpha.data(), pattern.data(), kPalFrame);
    benchmark::DoNotOptimize(alpha.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kPalFrame));
}

constexpr int kBigW = 4000, kBigH = 3000;

void ScaleSubject(benchmark::State& state) {
  const std::vector<uint8_t> source = NoiseBytes(static_cast<size_t>(kBigW) * kBigH);
  std::vector<uint8_t> frame(kPalFrame);
  for (auto _ : state) {
    ScaleGreyImage(frame.data(), 768, 576, source.data(), kBigW, kBigH);
    benchmark::DoNotOptimize(frame.data());
    benchmark::ClobberMemory();
  }
}

void ScaleBaseline(benchmark::State& state) {
  const std::vector<uint8_t> source = NoiseBytes(static_cast<size_t>(kBigW) * kBigH);
  std::vector<uint8_t> copy(source.size());
  for (auto _ : state) {
    std::memcpy(copy.data(), source.data(), source.size());
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
}

const bool registered = [] {
  const std::string table = "ApplyTransitionTable 768x576 vs memcpy";
  benchmark::RegisterBenchmark(SubjectName(table).c_str(), TableSubject);
  benchmark::RegisterBenchmark(BaselineName(table).c_str(), TableBaseline);
  const std::string scale = "ScaleGreyImage 4000x3000 to 768x576 vs memcpy";
  benchmark::RegisterBenchmark(SubjectName(scale).c_str(), ScaleSubject)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(BaselineName(scale).c_str(), ScaleBaseline)
      ->Unit(benchmark::kMicrosecond);
  return true;
}();

}  // namespace
