#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "avi/avi_writer.h"
#include "avi/device_frame.h"
#include "avi/export_session.h"
#include "cli/command_status.h"
#include "cli/commands.h"
#include "cli/jpeg_writer.h"
#include "cli/terminal_progress.h"
#include "cli/test_picture.h"
#include "cli/video_standard.h"
#include "support/error_codes.h"
#include "support/report_error.h"

namespace {

constexpr const char* kCaption = "Write AVI";
// What a recording of an earlier export would carry besides video: an
// alpha block the export must drop rather than copy.
constexpr size_t kStrayBlockBytes = 1024 + 60;

struct MakeSourceOptions {
  int32_t frames = 0;
  std::string standard = "ntsc";
  int32_t quality = 85;
  std::string out;
};

// The card's own recording format: one video field block per field, each a
// JPEG picture, as the card's capture writes them.
std::vector<uint8_t> BitmapFormat(const VideoStandard& standard) {
  std::vector<uint8_t> format(kBitmapInfoSize, 0);
  StoreBitmapInfoHeader(MakeBitmapInfoHeader(standard.width, standard.height, 24, kFourCCOrvd),
                        format);
  return format;
}

// One device frame: the first field's video, the stray block, the second
// field's video.
bool BuildFrame(const VideoStandard& standard, int32_t frame, int32_t quality,
                std::vector<uint8_t>& rgb, std::vector<uint8_t> (&jpeg)[2],
                std::vector<uint8_t>& out) {
  const int32_t lines = standard.height / 2;
  for (int32_t field = 0; field < 2; ++field) {
    RenderTestField(standard.width, lines, 2 * frame + field, rgb);
    if (!EncodeJpeg(rgb.data(), standard.width, lines, quality, jpeg[field]))
      return false;
  }
  std::vector<uint8_t> stray(kStrayBlockBytes, 0);
  for (size_t i = 1024; i < stray.size(); ++i)
    stray[i] = static_cast<uint8_t>(i * 7 + static_cast<size_t>(frame));
  out.resize(kDeviceFrameMagicSize + 3 * kFrameBlockHeaderSize + jpeg[0].size() + stray.size() +
             jpeg[1].size());
  DeviceFrameBuilder builder(out);
  if (builder.AppendBlock(kVideoFieldBlock, jpeg[0]) != kOk ||
      builder.AppendBlock(kAlphaFieldBlock, stray) != kOk ||
      builder.AppendBlock(kVideoFieldBlock | kSecondFieldBit, jpeg[1]) != kOk) {
    return false;
  }
  out.resize(builder.Size());
  return true;
}

int RunMakeSource(const MakeSourceOptions& options) {
  VideoStandard standard = kNtsc;
  if (!ParseVideoStandard(options.standard, standard)) {
    std::fprintf(stderr, "make-source: --standard is ntsc or pal, not '%s'\n",
                 options.standard.c_str());
    return kExitUsage;
  }
  MainHeader main =
      ExportMainHeader(standard.frameRate, options.frames, static_cast<uint32_t>(standard.width),
                       static_cast<uint32_t>(standard.height));
  StreamHeader stream = ExportStreamHeader(standard.frameRate, options.quality * 100);
  stream.handler = kFourCCOrvd;
  const std::vector<uint8_t> format = BitmapFormat(standard);

  std::unique_ptr<AviWriter> writer;
  int32_t code = AviWriterCreate(writer, options.out, main);
  if (code == kOk)
    code = AviWriterAddStream(*writer, nullptr, stream, format.data(),
                              static_cast<uint32_t>(format.size()));
  if (code != kOk) {
    AviWriterAbandon(writer);
    ReportExportError(code, options.out);
    return kExitFailure;
  }

  TerminalProgress progress;
  progress.Open(kCaption, options.out, options.frames, true);
  std::vector<uint8_t> rgb, jpeg[2], frame;
  for (int32_t i = 0; i < options.frames; ++i) {
    if (!BuildFrame(standard, i, options.quality, rgb, jpeg, frame)) {
      progress.Close();
      AviWriterAbandon(writer);
      ReportErrorPlain(kErrNoMemory, kCaption);
      return kExitFailure;
    }
    code = AviWriterWriteChunk(*writer, 0, frame.data(), static_cast<uint32_t>(frame.size()),
                               ChunkType("dc"), kIndexKeyFrame);
    if (code != kOk) {
      progress.Close();
      AviWriterAbandon(writer);
      ReportExportError(code, options.out);
      return kExitFailure;
    }
    if (!progress.Update(i + 1)) {
      // A recording cut short is still a recording, when it can be closed.
      progress.Close();
      ExportOutcome outcome;
      outcome.stopCode = kErrCancelled;
      outcome.framesWritten = i + 1;
      outcome.framesPlanned = options.frames;
      const bool inPlace = writer->file.WritesInPlace();
      outcome.code = AviWriterClose(writer);
      if (outcome.code == kOk) {
        outcome.code = kErrCancelled;
        outcome.output = ExportOutput::kComplete;
      } else {
        ReportExportError(outcome.code, options.out);
        outcome.output = inPlace ? ExportOutput::kIncomplete : ExportOutput::kUntouched;
      }
      return ExitForExport("make-source", outcome, options.out);
    }
  }
  progress.Close();
  code = AviWriterClose(writer);
  if (code != kOk) {
    ReportExportError(code, options.out);
    return kExitFailure;
  }
  std::printf("%s: %d frames\n", options.out.c_str(), static_cast<int>(options.frames));
  return kExitOk;
}

}  // namespace

void AddMakeSourceCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<MakeSourceOptions>();
  CLI::App* sub = app.add_subcommand(
      "make-source",
      "Write a synthetic card recording: JPEG video fields of a moving test picture");
  sub->add_option("--frames", options->frames, "Number of frames, 1 to 100000")
      ->required()
      ->check(CLI::Range(1, 100000));
  sub->add_option("--standard", options->standard,
                  "ntsc (640x480, 29.97 frames a second) or pal (768x576, 25)")
      ->capture_default_str();
  sub->add_option("--quality", options->quality, "JPEG quality, 1 to 100")
      ->check(CLI::Range(1, 100))
      ->capture_default_str();
  sub->add_option("-o,--output", options->out, "AVI file to write")->required();
  sub->callback([options, &status] { status = RunMakeSource(*options); });
}
