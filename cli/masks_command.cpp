#include <cstdio>
#include <memory>
#include <string>

#include "avi/avi_video_data.h"
#include "avi/export.h"
#include "cli/card_recording.h"
#include "cli/command_status.h"
#include "cli/commands.h"
#include "cli/terminal_progress.h"
#include "support/error_codes.h"

namespace {

constexpr const char* kCommand = "masks";

struct MasksOptions {
  std::string source;
  std::string firstMask;
  std::string out;
};

int RunMasks(const MasksOptions& options) {
  // The export says only "No file" for a source it cannot use; the reader
  // knows why.
  if (!OpenCardRecording(options.source, kCommand, kErrNoFile))
    return kExitFailure;
  std::string mask = options.firstMask;
  TerminalProgress progress;
  ExportOutcome outcome;
  if (!ExportMaskSequence(&progress, options.source, mask, options.out, nullptr, &outcome))
    return ExitForExport(kCommand, outcome, options.out);
  std::printf("%s: %d frames\n", options.out.c_str(), static_cast<int>(outcome.framesWritten));
  // The sequence ends at the first number that cannot be read, which may
  // be a gap the user did not mean: say where it stopped.
  if (outcome.framesWritten < outcome.framesPlanned) {
    std::printf("%s: stopped at '%s' (missing or short); %d source frames left out\n",
                options.out.c_str(), mask.c_str(),
                static_cast<int>(outcome.framesPlanned - outcome.framesWritten));
  }
  return kExitOk;
}

}  // namespace

void AddMasksCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<MasksOptions>();
  CLI::App* sub = app.add_subcommand(
      "masks", "Export a card recording with a numbered sequence of TARGA masks, one a frame");
  sub->add_option("--source", options->source, "Card recording (AVI) that gives the frames")
      ->required();
  sub->add_option("--first-mask", options->firstMask,
                  "First mask picture, e.g. m001.tga; m002.tga and on follow until one is "
                  "missing")
      ->required();
  sub->add_option("-o,--output", options->out, "AVI file to write")->required();
  sub->callback([options, &status] { status = RunMasks(*options); });
}
