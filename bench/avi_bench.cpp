#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "avi/alpha_encoder.h"
#include "bench/ratio_report.h"

namespace {

constexpr int kWidth = 768;
constexpr int kFieldLines = 288;
constexpr size_t kFieldBytes = static_cast<size_t>(kWidth) * kFieldLines;

// A soft circular wipe edge: alpha rises smoothly with the distance from the
// centre of the frame, measured in frame lines (a field holds every other).
std::vector<uint8_t> RadialGradient() {
  std::vector<uint8_t> field(kFieldBytes);
  const double cx = kWidth / 2.0, cy = kFieldLines;
  const double scale = 255.0 / std::sqrt(cx * cx + cy * cy);
  for (int y = 0; y < kFieldLines; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      const double dx = x - cx, dy = 2.0 * y - cy;
      field[static_cast<size_t>(y) * kWidth + x] =
          static_cast<uint8_t>(std::min(255.0, std::sqrt(dx * dx + dy * dy) * scale + 0.5));
    }
  }
  return field;
}

void EncodeSubject(benchmark::State& state) {
  const std::vector<uint8_t> field = RadialGradient();
  std::vector<uint8_t> out(AlphaFieldBound(kWidth, kFieldLines));
  std::vector<uint8_t> scratch(AlphaScratchBound(kWidth, kFieldLines));
  uint32_t size = 0;
  for (auto _ : state) {
    size = EncodeAlphaField(field, kWidth, kFieldLines, out, scratch);
    benchmark::DoNotOptimize(out.data());
    benchmark::ClobberMemory();
  }
  state.counters["encoded bytes"] = size;
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFieldBytes));
}

void EncodeBaseline(benchmark::State& state) {
  const std::vector<uint8_t> field = RadialGradient();
  std::vector<uint8_t> copy(kFieldBytes);
  for (auto _ : state) {
    std::memcpy(copy.data(), field.data(), kFieldBytes);
    benchmark::DoNotOptimize(copy.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * kFieldBytes));
}

const bool registered = [] {
  const std::string encode = "EncodeAlphaField 768x288 radial gradient vs memcpy";
  benchmark::RegisterBenchmark(SubjectName(encode).c_str(), EncodeSubject)
      ->Unit(benchmark::kMicrosecond);
  benchmark::RegisterBenchmark(BaselineName(encode).c_str(), EncodeBaseline)
      ->Unit(benchmark::kMicrosecond);
  return true;
}();

}  // namespace
