// The program as a whole: how long it takes from being started to its
// dialog on the screen, and how much memory it holds with a large pattern
// loaded. Both are measured on orvane-fx-probe, which starts as orvane-fx
// does, against a plain Qt window started the same way.
#include <benchmark/benchmark.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/ratio_report.h"
#include "wipe/builtin_patterns.h"
#include "wipe/targa_writer.h"

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int32_t kPatternWidth = 4000;
constexpr int32_t kPatternHeight = 3000;
// A start that takes this long has hung (a message box nobody answers).
constexpr int kProbeTimeoutMs = 30000;

fs::path ProbePath() {
  std::error_code ec;
  return fs::read_symlink("/proc/self/exe", ec).parent_path() / "orvane-fx-probe";
}

// The 4000 x 3000 pattern, written once per run.
const std::string& LargePattern() {
  static const std::string path = [] {
    const fs::path file = fs::temp_directory_path() /
                          ("orvane-bench-pattern-" + std::to_string(getpid()) + ".tga");
    GreyImage image;
    if (!RenderBuiltinPattern("radial-out", kPatternWidth, kPatternHeight, image) ||
        WriteTargaGrey(file.string(), image, 24) != 0) {
      return std::string();
    }
    std::atexit([] {
      std::error_code ec;
      fs::remove(LargePattern(), ec);
    });
    return file.string();
  }();
  return path;
}

struct ProbeRun {
  bool ok = false;
  double secondsToShown = 0;
  long long peakBytes = 0;
};

// Starts the probe, times it to its "shown" line and reads its peak.
ProbeRun RunProbe(const std::vector<std::string>& args) {
  ProbeRun run;
  int out[2];
  if (pipe(out) != 0)
    return run;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_addclose(&actions, out[0]);
  const std::string probe = ProbePath().string();
  std::vector<char*> argv{const_cast<char*>(probe.c_str())};
  for (const std::string& a : args)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_t child = -1;
  const Clock::time_point started = Clock::now();
  const int spawned = posix_spawn(&child, probe.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return run;
  }
  std::string text;
  bool shown = false;
  for (;;) {
    pollfd p{out[0], POLLIN, 0};
    if (poll(&p, 1, kProbeTimeoutMs) <= 0) {
      kill(child, SIGKILL);
      break;
    }
    char buffer[256];
    const ssize_t n = read(out[0], buffer, sizeof buffer);
    if (n <= 0)
      break;
    text.append(buffer, static_cast<size_t>(n));
    if (!shown && text.find("shown\n") != std::string::npos) {
      run.secondsToShown = std::chrono::duration<double>(Clock::now() - started).count();
      shown = true;
    }
  }
  close(out[0]);
  int status = 0;
  waitpid(child, &status, 0);
  const size_t peak = text.find("peak ");
  if (peak != std::string::npos)
    run.peakBytes = std::strtoll(text.c_str() + peak + 5, nullptr, 10);
  run.ok = shown && peak != std::string::npos && WIFEXITED(status) && WEXITSTATUS(status) == 0;
  return run;
}

void StartToShown(benchmark::State& state, const char* mode) {
  for (auto _ : state) {
    const ProbeRun run = RunProbe({mode});
    if (!run.ok) {
      state.SkipWithError("the probe did not show its window");
      break;
    }
    state.SetIterationTime(run.secondsToShown);
  }
}

// The subject holds the pattern; the baseline is a plain window plus the
// pattern's bytes at one byte a pixel, the least any program showing it
// must keep.
void PeakWithPattern(benchmark::State& state, bool program) {
  if (LargePattern().empty()) {
    state.SkipWithError("could not write the pattern");
    return;
  }
  long long peak = 0;
  for (auto _ : state) {
    const ProbeRun run = program ? RunProbe({"program", LargePattern()}) : RunProbe({"bare"});
    if (!run.ok) {
      state.SkipWithError("the probe did not finish");
      return;
    }
    state.SetIterationTime(run.secondsToShown);
    peak = std::max(peak, run.peakBytes);
  }
  if (!program)
    peak += static_cast<long long>(kPatternWidth) * kPatternHeight;
  state.counters[kPeakBytesCounter] = static_cast<double>(peak);
}

const bool registered = [] {
  // Without a display the probe draws offscreen, as the tests do.
  if (std::getenv("DISPLAY") == nullptr)
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const std::string start = "Start to dialog shown, orvane-fx vs a bare Qt window";
  benchmark::RegisterBenchmark(SubjectName(start).c_str(), StartToShown, "program")
      ->UseManualTime()
      ->Iterations(5)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(BaselineName(start).c_str(), StartToShown, "bare")
      ->UseManualTime()
      ->Iterations(5)
      ->Unit(benchmark::kMillisecond);
  const std::string memory = "Peak memory, orvane-fx with 4000x3000 vs bare window + pattern";
  benchmark::RegisterBenchmark(SubjectName(memory).c_str(), PeakWithPattern, true)
      ->UseManualTime()
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
  benchmark::RegisterBenchmark(BaselineName(memory).c_str(), PeakWithPattern, false)
      ->UseManualTime()
      ->Iterations(3)
      ->Unit(benchmark::kMillisecond);
  return true;
}();

}  // namespace
