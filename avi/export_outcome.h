#pragma once

#include <cstdint>
#include <string>

// What became of the output file when an export ended.
enum class ExportOutput {
  // Not written: a file that was at the output path before is as it was.
  kUntouched,
  // A complete AVI file of ExportOutcome::framesWritten frames.
  kComplete,
  // Written in place (its folder may not be written) and left unfinished.
  kIncomplete,
};

// How an export ended, for a caller that says more than the report did.
struct ExportOutcome {
  // The final code: 0, kErrCancelled for a cancel whose frames were kept, or
  // the code reported last.
  int32_t code = 0;
  // The file that code's report named.
  std::string codeFile;
  ExportOutput output = ExportOutput::kUntouched;
  int32_t framesWritten = 0;
  // What the export set out to write.
  int32_t framesPlanned = 0;
  double frameRate = 0.0;
  // The fewest bytes one frame takes in the file; with kErrVideoParameters and
  // a frame count, the count was refused because the file could not hold it.
  uint64_t leastFrameBytes = 0;
  // What stopped the export before its end: kErrCancelled for a cancel, else
  // the code of the source frame or mask that could not be used, which stopFile
  // names. 0 when it ran to its end (or its masks ran out).
  int32_t stopCode = 0;
  std::string stopFile;
};
