#pragma once

#include <benchmark/benchmark.h>

#include <string>

// Every figure is a pair run in the same process: the measured operation and
// a baseline of comparable work. Name them "<figure>/subject" and
// "<figure>/baseline"; after the run the report prints one line per figure
// with both times and their ratio, so a result never depends on how fast
// the machine happened to be.
inline std::string SubjectName(const std::string& figure) {
  return figure + "/subject";
}
inline std::string BaselineName(const std::string& figure) {
  return figure + "/baseline";
}

// A pair that sets this counter (bytes) is a memory figure: its ratio is of
// the counters, not of the times.
inline constexpr const char* kPeakBytesCounter = "peak bytes";
