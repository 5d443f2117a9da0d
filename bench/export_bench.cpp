#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "avi/export.h"
#include "avi/replacing_file.h"
#include "bench/ratio_report.h"
#include "support/error_codes.h"
#include "support/time_code.h"
#include "wipe/builtin_patterns.h"
#include "wipe/field_split.h"
#include "wipe/transition_table.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kWidth = 768;
constexpr int32_t kHeight = 576;
constexpr size_t kFieldBytes = static_cast<size_t>(kWidth) * kHeight / 2;
// Ten seconds at 25 frames a second.
constexpr int32_t kDurationMs = 10000;
constexpr int32_t kFrames = 250;
constexpr int32_t kEdgeWidth = 48;

// Both sides write into the same folder, so they meet the same disk; set
// ORVANE_BENCH_DIR to measure another one.
fs::path BenchFolder() {
  const char* chosen = std::getenv("ORVANE_BENCH_DIR");
  fs::path folder =
      chosen && *chosen ? fs::path(chosen) : fs::temp_directory_path() / "orvane-export-bench";
  fs::create_directories(folder);
  return folder;
}

std::vector<uint8_t> FieldSplitPattern(const char* name) {
  GreyImage image;
  std::vector<uint8_t> pattern;
  if (!RenderBuiltinPattern(name, kWidth, kHeight, image) ||
      !ScaleToFieldSplit(pattern, kWidth, kHeight, image.pixels.data(), image.width,
                         image.height)) {
    pattern.clear();
  }
  return pattern;
}

// Frames per second of wall-clock time: the writing waits on the disk, which
// a rate over processor time would leave out.
double FramesPerSecond(const benchmark::State& state,
                       std::chrono::steady_clock::time_point started) {
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return seconds > 0 ? kFrames * static_cast<double>(state.iterations()) / seconds : 0;
}

// A PAL transition without a source, as the card would play it.
void ExportSubject(benchmark::State& state, const char* patternName) {
  const std::vector<uint8_t> pattern = FieldSplitPattern(patternName);
  if (pattern.empty()) {
    state.SkipWithError("pattern");
    return;
  }
  const std::string out = (BenchFolder() / "transition.avi").string();
  int32_t code = kOk;
  const auto started = std::chrono::steady_clock::now();
  for (auto _ : state) {
    if (!ExportTransition(nullptr, "", out, kDurationMs, kPalFrameRate, pattern, kWidth, kHeight,
                          kEdgeWidth, &code)) {
      state.SkipWithError("export failed");
      break;
    }
  }
  std::error_code ec;
  state.counters["file bytes"] = static_cast<double>(fs::file_size(out, ec));
  state.counters["frames/s"] = FramesPerSecond(state, started);
  fs::remove(out, ec);
}

// The same frames as raw alpha, two fields a frame, written through the
// same kind of output file (beside its target, synced, moved over it).
void RawAlphaBaseline(benchmark::State& state, const char* patternName) {
  const std::vector<uint8_t> pattern = FieldSplitPattern(patternName);
  if (pattern.empty()) {
    state.SkipWithError("pattern");
    return;
  }
  // A frame from the middle of the wipe, computed once: only the writing
  // is measured.
  std::vector<uint8_t> alpha(2 * kFieldBytes);
  TransitionTable table;
  BuildTransitionTable(table, (kEdgeWidth + 256) / 2, kEdgeWidth);
  ApplyTransitionTable(alpha.data(), pattern.data(), table, alpha.size());
  const std::string out = (BenchFolder() / "raw-alpha.bin").string();
  const auto started = std::chrono::steady_clock::now();
  for (auto _ : state) {
    ReplacingFile file;
    if (file.Create(out) != kOk) {
      state.SkipWithError("create failed");
      break;
    }
    bool ok = true;
    for (int32_t i = 0; i < kFrames && ok; ++i) {
      ok = std::fwrite(alpha.data(), 1, kFieldBytes, file.Stream()) == kFieldBytes &&
           std::fwrite(alpha.data() + kFieldBytes, 1, kFieldBytes, file.Stream()) == kFieldBytes;
    }
    if (!ok || file.Commit() != kOk) {
      state.SkipWithError("write failed");
      break;
    }
  }
  std::error_code ec;
  state.counters["file bytes"] = static_cast<double>(fs::file_size(out, ec));
  state.counters["frames/s"] = FramesPerSecond(state, started);
  fs::remove(out, ec);
}

const bool registered = [] {
  struct Figure {
    const char* pattern;
    const char* name;
  };
  // A soft circle is what wipes mostly look like; the random dissolve, whose
  // alpha hardly has a run, is the encoder's worst case.
  for (const Figure& f :
       {Figure{"radial-out", "Export 250 PAL frames radial-out vs raw alpha"},
        Figure{"random-dissolve", "Export 250 PAL frames random-dissolve vs raw alpha"}}) {
    const char* pattern = f.pattern;
    benchmark::RegisterBenchmark(SubjectName(f.name).c_str(), [pattern](benchmark::State& s) {
      ExportSubject(s, pattern);
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(BaselineName(f.name).c_str(), [pattern](benchmark::State& s) {
      RawAlphaBaseline(s, pattern);
    })->Unit(benchmark::kMillisecond);
  }
  return true;
}();

}  // namespace
