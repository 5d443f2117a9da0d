#pragma once

#include <cstdint>
#include <string>

// Exit statuses of `orvane`: anything but 0 is a failure.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// Stopped with Ctrl-C, as a shell reports a process ended by SIGINT.
inline constexpr int kExitCancelled = 130;

// The exit status for an export that returned false with code. The export
// has reported its failure already; a cancel shows no message there, so
// this says what was kept.
int ExitForExportCode(int32_t code, const std::string& outPath, int32_t framesKept);
