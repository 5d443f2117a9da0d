#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>
#include <vector>

#include "bench/bench_data.h"
#include "bench/ratio_report.h"
#include "device/orvane_device.h"
#include "support/error_codes.h"

// QueueFrame into the simulated card's FIFO, against memcpy of the same
// frame's bytes from the pattern into a ring of the same size at the same
// advancing offsets: the copy QueueFrame would be without its tables.

namespace {

constexpr size_t kRing = 0x400000;

void QueueSubject(benchmark::State& state, const char* standard, int32_t width, int32_t height) {
  OrvaneDevice device;
  setenv("ORVINTER_SIM_STANDARD", standard, 1);
  bool versionQuestionAsked = false;
  const int32_t code = device.Open(versionQuestionAsked);
  unsetenv("ORVINTER_SIM_STANDARD");
  if (code != kOk || device.FrameWidth() != width || device.FrameHeight() != height) {
    state.SkipWithError("the simulated card did not open at this size");
    return;
  }
  const std::vector<uint8_t> pattern = NoiseBytes(static_cast<size_t>(width) * height);
  if (!device.SetPattern(pattern.data(), width, height) || device.StartPlayback() != kOk) {
    state.SkipWithError("playback did not start");
    return;
  }
  int32_t position = 0;
  for (auto _ : state) {
    // The card frees the ring in real time; here it is emptied at once
    // whenever it is full. A flush drops the frames without reading them,
    // so the caches are left as the baseline finds them, and costs no more
    // than a lock: cheaper than pausing the clock around it.
    while (!device.QueueFrame(position, position + 10, 48))
      device.Driver().vdc_Flush();
    position = (position + 20) % 304;
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * width * height);
  device.StopPlayback();
  device.Close();
}

void CopyBaseline(benchmark::State& state, int32_t width, int32_t height) {
  const size_t frame = static_cast<size_t>(width) * height;
  const std::vector<uint8_t> pattern = NoiseBytes(frame);
  std::vector<uint8_t> ring(kRing);
  size_t offset = 0;
  for (auto _ : state) {
    const size_t head = std::min(frame, kRing - offset);
    std::memcpy(ring.data() + offset, pattern.data(), head);
    std::memcpy(ring.data(), pattern.data() + head, frame - head);
    offset = (offset + frame) % kRing;
    benchmark::DoNotOptimize(ring.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * frame));
}

const bool registered = [] {
  struct {
    const char* figure;
    const char* standard;
    int32_t width, height;
  } const sizes[] = {
      {"QueueFrame 640x480 vs memcpy of the frame", "ntsc", 640, 480},
      {"QueueFrame 768x576 vs memcpy of the frame", "pal", 768, 576},
  };
  for (const auto& s : sizes) {
    benchmark::RegisterBenchmark(SubjectName(s.figure).c_str(), QueueSubject, s.standard, s.width,
                                 s.height)
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(BaselineName(s.figure).c_str(), CopyBaseline, s.width, s.height)
        ->Unit(benchmark::kMicrosecond);
  }
  return true;
}();

}  // namespace
