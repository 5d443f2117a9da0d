#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "avi/export_outcome.h"

// Exit statuses of `orvane`: anything but 0 is a failure.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;
inline constexpr int kExitUsage = 2;
// Stopped with Ctrl-C, as a shell reports a process ended by SIGINT.
inline constexpr int kExitCancelled = 130;

// What the command line says after an export that did not finish, once the
// export has reported its failure (a cancel shows no message there): what is
// on disk at outPath, why the export stopped, and what a refused count or
// rate would have needed. outPathExists tells whether outPath names a file
// now. Lines without their newline.
std::vector<std::string> ExportEndingNotes(const char* command, const ExportOutcome& outcome,
                                           const std::string& outPath, bool outPathExists);

// Writes those lines on stderr and returns the exit status: 130 for a
// cancel whose frames were kept, 1 for anything else.
int ExitForExport(const char* command, const ExportOutcome& outcome, const std::string& outPath);
