#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "avi/avi_video_data.h"
#include "avi/export.h"
#include "cli/card_recording.h"
#include "cli/command_status.h"
#include "cli/commands.h"
#include "cli/explanations.h"
#include "cli/terminal_progress.h"
#include "cli/video_standard.h"
#include "support/buffered_file.h"
#include "support/error_codes.h"
#include "support/report_error.h"
#include "support/time_code.h"
#include "wipe/field_split.h"
#include "wipe/ui/picture_reader.h"
#include "wipe/wipe_turns.h"

namespace {

constexpr const char* kCommand = "transition";

// The ranges of the effect dialog's Width and Duration controls.
constexpr int32_t kMinDurationMs = 3;
constexpr int32_t kMaxDurationMs = 10000;

struct TransitionOptions {
  std::string pattern;
  int32_t width = 48;
  std::string duration = "1000";
  std::string source;
  std::string standard = "ntsc";
  std::string out;
  bool invert = false;
  bool reverse = false;
};

// Reads the pattern, inverted when asked, and brings it to the frame size
// as the card's device does. 0 or the code already reported.
int32_t LoadPattern(const std::string& path, bool invert, const VideoStandard& standard,
                    std::vector<uint8_t>& fieldSplit) {
  if (!BufferedFile().Open(path)) {
    ReportError(kErrCannotOpen, "Load Image", path);
    Explain(kCommand, WhyNotReadable(path));
    return kErrCannotOpen;
  }
  GreyImage image;
  const int32_t code = ReadPicturePattern(path, image);
  if (invert)
    InvertPattern(image.pixels);
  if (code != kOk) {
    ReportFileError(code, "Load Image", path);
    return code;
  }
  if (!ScaleToFieldSplit(fieldSplit, standard.width, standard.height, image.pixels.data(),
                         image.width, image.height)) {
    ReportErrorPlain(kErrNoMemory, "Load Image");
    return kErrNoMemory;
  }
  return kOk;
}

// A source given by name must be usable: the export itself would quietly
// go on without it, which on a command line hides a typing mistake. Its
// frame rate, or 0 when it is not usable (reported).
double CheckSource(const std::string& path, const VideoStandard& standard) {
  const std::unique_ptr<AVIVideoData> source = OpenCardRecording(path, kCommand);
  if (!source)
    return 0.0;
  if (source->GetFormatSize() >= static_cast<int32_t>(kBitmapFrameSizeEnd)) {
    const BitmapInfoHeader bitmap = source->GetBitmapInfo();
    const int32_t w = bitmap.width;
    const int32_t h = bitmap.height;
    if (w != standard.width || h != standard.height) {
      std::fprintf(stderr,
                   "transition: note: the source's frames are %dx%d, the %s alpha %dx%d; "
                   "use --standard to match them\n",
                   w, h, standard.name, standard.width, standard.height);
    }
  }
  return source->GetFrameRate();
}

int RunTransition(const TransitionOptions& options) {
  VideoStandard standard = kNtsc;
  if (!ParseVideoStandard(options.standard, standard)) {
    std::fprintf(stderr, "transition: --standard is ntsc or pal, not '%s'\n",
                 options.standard.c_str());
    return kExitUsage;
  }
  int32_t durationMs = 0;
  if (!ParseDuration(options.duration, standard.frameRate, durationMs) ||
      durationMs < kMinDurationMs || durationMs > kMaxDurationMs) {
    std::fprintf(stderr,
                 "transition: --duration is %d to %d milliseconds, or a time code "
                 "00:00:00:01 to 00:00:10:00 at the standard's frame rate; not '%s'\n",
                 kMinDurationMs, kMaxDurationMs, options.duration.c_str());
    return kExitUsage;
  }

  std::vector<uint8_t> pattern;
  if (LoadPattern(options.pattern, options.invert, standard, pattern) != kOk)
    return kExitFailure;
  // The export runs at the source's rate, or at the standard's when there
  // is no source.
  double rate = standard.frameRate;
  if (!options.source.empty()) {
    rate = CheckSource(options.source, standard);
    if (rate <= 0)
      return kExitFailure;
  }
  // The export would write no frame and then blame the disk for the empty
  // file; nothing is touched for a duration that cannot hold a frame.
  if (MsToFrames(durationMs, static_cast<float>(rate)) <= 0) {
    std::fprintf(stderr,
                 "transition: --duration %d ms is shorter than one frame (%.3f ms at %.6g "
                 "frames a second)\n",
                 static_cast<int>(durationMs), 1000.0 / rate, rate);
    return kExitUsage;
  }

  TerminalProgress progress;
  ExportOutcome outcome;
  const bool written =
      ExportTransition(&progress, options.source, options.out, durationMs, standard.frameRate,
                       pattern, standard.width, standard.height, options.width, nullptr, &outcome,
                       options.reverse ? WipeDirection::kReverse : WipeDirection::kForward);
  if (written) {
    std::printf("%s: %d frames\n", options.out.c_str(), static_cast<int>(outcome.framesWritten));
    return kExitOk;
  }
  return ExitForExport(kCommand, outcome, options.out);
}

}  // namespace

void AddTransitionCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<TransitionOptions>();
  CLI::App* sub = app.add_subcommand(
      "transition", "Export a wipe transition: the edge runs in and out over the duration");
  sub->add_option("--pattern", options->pattern,
                  "Wipe pattern: a picture (TARGA, PNG, PGM, PPM, BMP, JPEG, TIFF, WebP), "
                  "grey by its luma")
      ->required();
  sub->add_option("--width", options->width, "Softness of the edge, 0 to 255")
      ->check(CLI::Range(0, 255))
      ->capture_default_str();
  sub->add_option("--duration", options->duration,
                  "Length of the transition: milliseconds (3 to 10000) or a time code "
                  "HH:MM:SS:FF at the standard's frame rate")
      ->capture_default_str();
  sub->add_option("--source", options->source,
                  "Card recording (AVI) whose video the frames carry; frames past its end "
                  "carry alpha only");
  sub->add_option("--standard", options->standard,
                  "ntsc (640x480, 29.97 frames a second) or pal (768x576, 25)")
      ->capture_default_str();
  sub->add_option("-o,--output", options->out, "AVI file to write")->required();
  sub->add_flag("--invert", options->invert, "Invert the pattern: every value v becomes 255 - v");
  sub->add_flag("--reverse", options->reverse,
                "Reverse the direction: the wipe runs its out pass first");
  sub->callback([options, &status] { status = RunTransition(*options); });
}
