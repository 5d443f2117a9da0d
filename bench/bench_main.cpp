#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "bench/ratio_report.h"

namespace {

// Console output as usual, plus the times kept for the ratio table.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Iteration || run.error_occurred) continue;
      // The registered name, without the "/iterations:N/manual_time" that
      // run settings add.
      const std::string name = run.run_name.function_name;
      const size_t slash = name.rfind('/');
      if (slash == std::string::npos) continue;
      const std::string role = name.substr(slash + 1);
      if (role != "subject" && role != "baseline") continue;
      const auto peak = run.counters.find(kPeakBytesCounter);
      if (peak != run.counters.end()) {
        Pair& pair = memoryPairs_[name.substr(0, slash)];
        (role == "subject" ? pair.subject : pair.baseline) = peak->second.value;
        continue;
      }
      Pair& pair = pairs_[name.substr(0, slash)];
      // Seconds, so a pair may use different display units.
      const double seconds =
          run.GetAdjustedRealTime() / benchmark::GetTimeUnitMultiplier(run.time_unit);
      (role == "subject" ? pair.subject : pair.baseline) = seconds;
    }
  }

  void PrintRatios() const {
    std::printf("\n%-66s %14s %14s %8s\n", "figure", "subject us", "baseline us", "ratio");
    for (const auto& [figure, pair] : pairs_) {
      if (pair.subject <= 0 || pair.baseline <= 0) continue;
      std::printf("%-66s %14.2f %14.2f %8.2f\n", figure.c_str(), pair.subject * 1e6,
                  pair.baseline * 1e6, pair.subject / pair.baseline);
    }
    if (memoryPairs_.empty()) return;
    std::printf("\n%-66s %14s %14s %8s\n", "memory figure", "subject MiB", "baseline MiB", "ratio");
    for (const auto& [figure, pair] : memoryPairs_) {
      if (pair.subject <= 0 || pair.baseline <= 0) continue;
      std::printf("%-66s %14.1f %14.1f %8.2f\n", figure.c_str(), pair.subject / 1048576.0,
                  pair.baseline / 1048576.0, pair.subject / pair.baseline);
    }
  }

 private:
  struct Pair {
    double subject = 0;
    double baseline = 0;
  };
  std::map<std::string, Pair> pairs_;
  std::map<std::string, Pair> memoryPairs_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintRatios();
  benchmark::Shutdown();
  return 0;
}
