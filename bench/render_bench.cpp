#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "render/matte_positions.h"
#include "render/matte_render.h"
#include "support/error_codes.h"
#include "wipe/builtin_patterns.h"
#include "wipe/transition_table.h"

namespace {

namespace fs = std::filesystem;

constexpr int32_t kWidth = 768;
constexpr int32_t kHeight = 576;
// Ten seconds at 25 frames a second.
constexpr int32_t kFrames = 250;
constexpr int32_t kEdgeWidth = 48;
constexpr const char* kPattern = "radial-out";

fs::path BenchFolder() {
  const char* chosen = std::getenv("ORVANE_BENCH_DIR");
  fs::path folder =
      chosen && *chosen ? fs::path(chosen) : fs::temp_directory_path() / "orvane-render-bench";
  fs::create_directories(folder);
  return folder;
}

MatteSettings PalMatte() {
  MatteSettings settings;
  settings.edgeWidth = kEdgeWidth;
  settings.lowPosition = FirstWipePosition(kEdgeWidth);
  settings.highPosition = LastWipePosition(kEdgeWidth);
  settings.frameCount = kFrames;
  settings.width = kWidth;
  settings.height = kHeight;
  settings.frameRate = AVRational{25, 1};
  return settings;
}

// The whole render: frames computed, encoded and written into the file.
void RenderSubject(benchmark::State& state) {
  GreyImage pattern;
  if (!RenderBuiltinPattern(kPattern, kWidth, kHeight, pattern)) {
    state.SkipWithError("pattern");
    return;
  }
  const std::string out = (BenchFolder() / "matte.mkv").string();
  for (auto _ : state) {
    RenderStatus status;
    if (RenderMatte(pattern, PalMatte(), out, nullptr, status) != kOk) {
      state.SkipWithError(("render failed: " + status.libraryMessage).c_str());
      break;
    }
  }
  std::error_code ec;
  state.counters["file bytes"] = static_cast<double>(fs::file_size(out, ec));
  fs::remove(out, ec);
}

// The same frames, computed beforehand, piped into the ffmpeg program for
// the same encoder and container: what a user would otherwise do by hand.
void FfmpegBaseline(benchmark::State& state) {
  GreyImage pattern;
  if (!RenderBuiltinPattern(kPattern, kWidth, kHeight, pattern)) {
    state.SkipWithError("pattern");
    return;
  }
  const std::vector<int32_t> positions = MattePositions(
      FirstWipePosition(kEdgeWidth), LastWipePosition(kEdgeWidth), kFrames, false, false);
  const size_t frameBytes = pattern.pixels.size();
  std::vector<uint8_t> frames(frameBytes * positions.size());
  TransitionTable table;
  for (size_t i = 0; i < positions.size(); ++i) {
    BuildTransitionTable(table, positions[i], kEdgeWidth);
    ApplyTransitionTable(frames.data() + i * frameBytes, pattern.pixels.data(), table, frameBytes);
  }
  const std::string out = (BenchFolder() / "ffmpeg.mkv").string();
  const std::string command = "/usr/bin/ffmpeg -nostdin -v error -y -f rawvideo -pix_fmt gray -s " +
                              std::to_string(kWidth) + "x" + std::to_string(kHeight) +
                              " -r 25 -i - -c:v ffv1 '" + out + "'";
  for (auto _ : state) {
    std::FILE* pipe = popen(command.c_str(), "w");
    if (!pipe) {
      state.SkipWithError("no ffmpeg");
      break;
    }
    const bool sent = std::fwrite(frames.data(), 1, frames.size(), pipe) == frames.size();
    if (pclose(pipe) != 0 || !sent) {
      state.SkipWithError("ffmpeg failed");
      break;
    }
  }
  std::error_code ec;
  state.counters["file bytes"] = static_cast<double>(fs::file_size(out, ec));
  fs::remove(out, ec);
}

const bool registered = [] {
  const std::string figure = "Render 250 PAL FFV1 matte frames vs ffmpeg fed raw frames";
  // Wall-clock time: the baseline's work is done in another process.
  benchmark::RegisterBenchmark(SubjectName(figure).c_str(), RenderSubject)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  benchmark::RegisterBenchmark(BaselineName(figure).c_str(), FfmpegBaseline)
      ->Unit(benchmark::kMillisecond)
      ->UseRealTime();
  return true;
}();

}  // namespace
