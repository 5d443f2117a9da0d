#include "cli/command_status.h"

#include <cstdio>
#include <filesystem>

#include "avi/export_session.h"
#include "avi/replacing_file.h"
#include "cli/explanations.h"
#include "support/error_codes.h"

namespace {

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

std::string Frames(int32_t count) {
  return std::to_string(count) + (count == 1 ? " frame" : " frames");
}

std::string OnDisk(const ExportOutcome& outcome, const std::string& outPath, bool exists) {
  switch (outcome.output) {
    case ExportOutput::kComplete:
      return Quoted(outPath) + " holds the " + Frames(outcome.framesWritten) + " written before";
    case ExportOutput::kIncomplete:
      return Quoted(outPath) +
             " was written in place, as its folder may not be written, and is left incomplete";
    case ExportOutput::kUntouched:
      break;
  }
  return exists ? Quoted(outPath) + " is as it was before" : "nothing was written";
}

std::string Rate(double rate) {
  char text[48];
  std::snprintf(text, sizeof text,
                rate == static_cast<double>(static_cast<int64_t>(rate)) ? "%.0f" : "%.3f", rate);
  return text;
}

}  // namespace

std::vector<std::string> ExportEndingNotes(const char* command, const ExportOutcome& outcome,
                                           const std::string& outPath, bool outPathExists) {
  const std::string prefix = std::string(command) + ": ";
  const std::string onDisk = OnDisk(outcome, outPath, outPathExists);
  std::vector<std::string> notes;
  if (outcome.stopCode == kErrCancelled) {
    if (outcome.code == kErrCancelled)
      notes.push_back(std::string(kExportCaption) + ": cancelled; " + onDisk);
    else
      notes.push_back(prefix + "cancelled after " + Frames(outcome.framesWritten) +
                      ", which could not be kept; " + onDisk);
    return notes;
  }
  if (outcome.stopCode != kOk) {
    const int32_t stop = outcome.stopCode;
    const char* text = stop > 0 && stop < kErrorCount ? ErrorTexts[stop] : "failed";
    notes.push_back(prefix + "stopped at frame " + std::to_string(outcome.framesWritten) + " of " +
                    std::to_string(outcome.framesPlanned) + ": " + Quoted(outcome.stopFile) +
                    " could not be used (" + text + "); " + onDisk);
    return notes;
  }
  if (outcome.code == kErrVideoParameters && outcome.leastFrameBytes > 0) {
    if (outcome.frameRate > kExportMaxFrameRate) {
      notes.push_back(prefix + "a rate of " + Rate(outcome.frameRate) +
                      " frames a second is more than an AVI file's headers hold (at most " +
                      Rate(kExportMaxFrameRate) + ")");
    } else {
      notes.push_back(prefix + Frames(outcome.framesPlanned) + " at " + Rate(outcome.frameRate) +
                      " frames a second, each of at least " +
                      std::to_string(outcome.leastFrameBytes) +
                      " bytes, are more than the 2 GB an AVI file holds");
    }
    return notes;
  }
  if (outcome.code == kErrNoFile && !outcome.codeFile.empty()) {
    std::string why =
        outcome.codeFile == outPath ? WhyNotWritable(outPath) : WhyNotReadable(outcome.codeFile);
    if (why.empty() && outcome.codeFile == outPath && ReplacingFile::WouldWriteInPlace(outPath)) {
      why = Quoted(outPath) +
            " is read by this export, and as its folder may not be written it could only be "
            "written in place, under the reading";
    }
    if (!why.empty())
      notes.push_back(prefix + why);
  }
  if (outcome.output == ExportOutput::kIncomplete)
    notes.push_back(prefix + onDisk);
  return notes;
}

int ExitForExport(const char* command, const ExportOutcome& outcome, const std::string& outPath) {
  std::error_code ec;
  const bool exists = std::filesystem::exists(outPath, ec);
  for (const std::string& note : ExportEndingNotes(command, outcome, outPath, exists))
    std::fprintf(stderr, "%s\n", note.c_str());
  return outcome.code == kErrCancelled ? kExitCancelled : kExitFailure;
}
