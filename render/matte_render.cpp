#include "render/matte_render.h"

#include "avi/export_progress.h"
#include "render/matte_positions.h"
#include "render/output_kind.h"
#include "render/video_file_writer.h"
#include "support/error_codes.h"
#include "wipe/scale_grey_image.h"
#include "wipe/transition_table.h"
#include "wipe/wipe_turns.h"

namespace {

constexpr const char* kMatteCaption = "Render Matte";
constexpr const char* kPreviewCaption = "Render Preview";

// The pattern as every frame sees it: turned over when asked, at the frame size.
std::vector<uint8_t> FramePattern(const GreyImage& pattern, const MatteSettings& settings) {
  std::vector<uint8_t> source = pattern.pixels;
  if (settings.invert)
    InvertPattern(source);
  std::vector<uint8_t> scaled(static_cast<size_t>(settings.width) * settings.height);
  ScaleGreyImage(scaled.data(), settings.width, settings.height, source.data(), pattern.width,
                 pattern.height);
  return scaled;
}

// Runs the frames of a render: makeFrame(k, alpha) has the matte of frame k
// and hands the writer its picture. Owns the progress from the output's
// creation to the end.
template <typename MakeFrame>
int32_t RunFrames(const GreyImage& pattern, const MatteSettings& settings,
                  VideoFileWriter& writer, const char* caption, const std::string& outPath,
                  ExportProgress* progress, RenderStatus& status, MakeFrame makeFrame) {
  const std::vector<int32_t> positions =
      MattePositions(settings.lowPosition, settings.highPosition, settings.frameCount,
                     settings.reverse, settings.inOut);
  const std::vector<uint8_t> scaled = FramePattern(pattern, settings);
  std::vector<uint8_t> alpha(scaled.size());
  TransitionTable table;
  const int32_t total = static_cast<int32_t>(positions.size());
  if (progress)
    progress->Open(caption, outPath, total, true);
  int32_t code = kOk;
  for (int32_t k = 0; k < total && code == kOk; ++k) {
    BuildTransitionTable(table, positions[static_cast<size_t>(k)], settings.edgeWidth);
    ApplyTransitionTable(alpha.data(), scaled.data(), table, alpha.size());
    code = makeFrame(alpha, status);
    if (code == kOk && progress && !progress->Update(k + 1))
      code = Fail(status, kErrCancelled, outPath);
  }
  if (code == kOk)
    code = writer.Finish(status);
  else
    writer.Abandon();
  if (progress)
    progress->Close();
  return code;
}

// The writer's settings for frames of inputFormat encoded with codec, or
// with the encoder the settings name in its place.
VideoFileWriter::Settings OutputFor(OutputKind kind, VideoCodec codec,
                                    const MatteSettings& settings, AVPixelFormat inputFormat) {
  VideoFileWriter::Settings output;
  output.kind = kind;
  output.encoder = EncoderFor(codec);
  if (!settings.encoder.empty())
    output.encoder.encoder = settings.encoder;
  output.width = settings.width;
  output.height = settings.height;
  output.frameRate = settings.frameRate;
  output.inputFormat = inputFormat;
  return output;
}

bool UsableSettings(const GreyImage& pattern, const MatteSettings& settings) {
  return !pattern.Empty() && pattern.width > 0 && pattern.height > 0 && settings.width > 0 &&
         settings.height > 0 && settings.frameCount > 0 && settings.frameRate.num > 0 &&
         settings.frameRate.den > 0;
}

}  // namespace

int32_t RenderMatte(const GreyImage& pattern, const MatteSettings& settings,
                    const std::string& outPath, ExportProgress* progress, RenderStatus& status) {
  status = RenderStatus{};
  const OutputKind kind = OutputKindOf(outPath);
  if (kind == OutputKind::kUnknown || kind == OutputKind::kMp4)
    return Fail(status, kErrBadFile, outPath);
  if (!UsableSettings(pattern, settings))
    return Fail(status, kErrVideoParameters, outPath);

  const VideoCodec codec = kind == OutputKind::kPngSequence ? VideoCodec::kPng : settings.codec;
  VideoFileWriter writer;
  const int32_t code =
      writer.Open(outPath, OutputFor(kind, codec, settings, AV_PIX_FMT_GRAY8), status);
  if (code != kOk)
    return code;
  return RunFrames(pattern, settings, writer, kMatteCaption, outPath, progress, status,
                   [&](const std::vector<uint8_t>& alpha, RenderStatus& s) {
                     return writer.WriteFrame(alpha.data(), settings.width, s);
                   });
}

int32_t RenderPreview(const GreyImage& pattern, const MatteSettings& settings, const RgbImage& a,
                      const RgbImage& b, const std::string& outPath, ExportProgress* progress,
                      RenderStatus& status) {
  status = RenderStatus{};
  const OutputKind kind = OutputKindOf(outPath);
  if (kind != OutputKind::kMp4 && kind != OutputKind::kMatroska && kind != OutputKind::kQuickTime)
    return Fail(status, kErrBadFile, outPath);
  if (!UsableSettings(pattern, settings) || settings.width % 2 != 0 || settings.height % 2 != 0 ||
      a.pixels.empty() || b.pixels.empty())
    return Fail(status, kErrVideoParameters, outPath);

  const RgbImage first = ScaleRgbImage(a, settings.width, settings.height);
  const RgbImage second = ScaleRgbImage(b, settings.width, settings.height);
  VideoFileWriter writer;
  const int32_t code = writer.Open(
      outPath, OutputFor(kind, VideoCodec::kH264, settings, AV_PIX_FMT_RGB24), status);
  if (code != kOk)
    return code;
  std::vector<uint8_t> mixed(first.pixels.size());
  const int32_t rowBytes = settings.width * 3;
  return RunFrames(pattern, settings, writer, kPreviewCaption, outPath, progress, status,
                   [&](const std::vector<uint8_t>& alpha, RenderStatus& s) {
                     for (int32_t y = 0; y < settings.height; ++y) {
                       const size_t row = static_cast<size_t>(y) * rowBytes;
                       MixRow(mixed.data() + row, first.pixels.data() + row,
                              second.pixels.data() + row,
                              alpha.data() + static_cast<size_t>(y) * settings.width,
                              settings.width);
                     }
                     return writer.WriteFrame(mixed.data(), rowBytes, s);
                   });
}

void MixRow(uint8_t* out, const uint8_t* a, const uint8_t* b, const uint8_t* matte,
            int32_t pixels) {
  for (int32_t x = 0; x < pixels; ++x) {
    const uint32_t alpha = matte[x];
    for (int c = 0; c < 3; ++c) {
      const size_t k = static_cast<size_t>(x) * 3 + c;
      out[k] = static_cast<uint8_t>((a[k] * alpha + b[k] * (255 - alpha) + 127) / 255);
    }
  }
}

RgbImage ScaleRgbImage(const RgbImage& source, int32_t width, int32_t height) {
  RgbImage scaled{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height * 3)};
  const size_t sourcePixels = static_cast<size_t>(source.width) * source.height;
  const size_t pixels = static_cast<size_t>(width) * height;
  std::vector<uint8_t> in(sourcePixels), out(pixels);
  for (int c = 0; c < 3; ++c) {
    for (size_t k = 0; k < sourcePixels; ++k)
      in[k] = source.pixels[k * 3 + c];
    ScaleGreyImage(out.data(), width, height, in.data(), source.width, source.height);
    for (size_t k = 0; k < pixels; ++k)
      scaled.pixels[k * 3 + c] = out[k];
  }
  return scaled;
}
