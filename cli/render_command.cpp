#include <charconv>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "cli/command_status.h"
#include "cli/commands.h"
#include "cli/explanations.h"
#include "cli/frame_size.h"
#include "cli/terminal_progress.h"
#include "cli/test_picture.h"
#include "cli/video_standard.h"
#include "render/matte_positions.h"
#include "render/matte_render.h"
#include "render/output_kind.h"
#include "render/render_report.h"
#include "render/rgb_picture_reader.h"
#include "support/error_codes.h"
#include "support/report_error.h"
#include "support/time_code.h"
#include "wipe/ui/picture_reader.h"

extern "C" {
#include <libavutil/log.h>
}

namespace {

constexpr const char* kCommand = "render";
// An hour of frames at most: a matte is one wipe, not a programme.
constexpr int32_t kMaxDurationMs = 3600000;
constexpr int32_t kMaxFrameRate = 1000;

struct RenderOptions {
  std::string pattern;
  int32_t width = 48;
  std::string duration;
  std::string size;
  std::string standard = "ntsc";
  std::string fps;
  bool invert = false;
  bool reverse = false;
  bool inOut = false;
  std::string codec = "ffv1";
  std::string encoder;
  std::vector<std::string> preview;
  bool previewAsked = false;
  std::string out;
};

// "25", "29.97" or "30000/1001": a rate above 0 and at most kMaxFrameRate.
bool ParseFrameRate(const std::string& text, AVRational& rate) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  const size_t slash = text.find('/');
  if (slash != std::string::npos) {
    int num = 0, den = 0;
    const auto a = std::from_chars(begin, begin + slash, num);
    const auto b = std::from_chars(begin + slash + 1, end, den);
    if (a.ec != std::errc() || a.ptr != begin + slash || b.ec != std::errc() || b.ptr != end ||
        num <= 0 || den <= 0)
      return false;
    rate = AVRational{num, den};
  } else {
    // Whole and thousandths, exactly: 29.97 is 2997/100, not a float's guess.
    const size_t dot = text.find('.');
    const std::string whole = text.substr(0, dot);
    std::string part = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (whole.empty() || part.size() > 3)
      return false;
    int w = 0, p = 0;
    const auto a = std::from_chars(whole.data(), whole.data() + whole.size(), w);
    if (a.ec != std::errc() || a.ptr != whole.data() + whole.size() || w < 0 || w > kMaxFrameRate)
      return false;
    if (!part.empty()) {
      const auto b = std::from_chars(part.data(), part.data() + part.size(), p);
      if (b.ec != std::errc() || b.ptr != part.data() + part.size() || p < 0)
        return false;
    }
    while (part.size() < 3) {
      part.push_back('0');
      p *= 10;
    }
    rate = AVRational{w * 1000 + p, 1000};
  }
  av_reduce(&rate.num, &rate.den, rate.num, rate.den, 1 << 30);
  return rate.num > 0 && av_q2d(rate) <= kMaxFrameRate;
}

// The two pictures of a preview: the files given, else the test card and
// its negative.
bool PreviewPictures(const RenderOptions& options, int32_t width, int32_t height, RgbImage& a,
                     RgbImage& b) {
  if (options.preview.empty()) {
    a = RgbImage{width, height, {}};
    RenderTestField(width, height, 0, a.pixels);
    b = a;
    for (uint8_t& v : b.pixels)
      v = static_cast<uint8_t>(255 - v);
    return true;
  }
  RgbImage* pictures[2] = {&a, &b};
  for (int k = 0; k < 2; ++k) {
    RenderStatus status;
    if (ReadRgbPicture(options.preview[static_cast<size_t>(k)], *pictures[k], status) != kOk) {
      ReportRenderFailure(status, "Load Image");
      Explain(kCommand, WhyNotReadable(options.preview[static_cast<size_t>(k)]));
      return false;
    }
  }
  return true;
}

int RunRender(const RenderOptions& options) {
  VideoStandard standard = kNtsc;
  if (!ParseVideoStandard(options.standard, standard)) {
    std::fprintf(stderr, "render: --standard is ntsc or pal, not '%s'\n", options.standard.c_str());
    return kExitUsage;
  }
  MatteSettings settings;
  settings.width = standard.width;
  settings.height = standard.height;
  if (!options.size.empty() && !ParseFrameSize(options.size, settings.width, settings.height)) {
    std::fprintf(stderr, "render: --size wants WIDTHxHEIGHT (1..65535 each), not '%s'\n",
                 options.size.c_str());
    return kExitUsage;
  }
  settings.frameRate = standard.frameRate == kPalFrameRate ? AVRational{25, 1}
                                                           : AVRational{2997, 100};
  if (!options.fps.empty() && !ParseFrameRate(options.fps, settings.frameRate)) {
    std::fprintf(stderr,
                 "render: --fps is a rate above 0 and up to %d frames a second, as 25, 29.97 or "
                 "30000/1001; not '%s'\n",
                 kMaxFrameRate, options.fps.c_str());
    return kExitUsage;
  }
  const float fps = static_cast<float>(av_q2d(settings.frameRate));
  int32_t durationMs = 0;
  if (!ParseDuration(options.duration, fps, durationMs) || durationMs < 1 ||
      durationMs > kMaxDurationMs) {
    std::fprintf(stderr,
                 "render: --duration is 1 to %d milliseconds, or a time code HH:MM:SS:FF at the "
                 "frame rate; not '%s'\n",
                 kMaxDurationMs, options.duration.c_str());
    return kExitUsage;
  }
  settings.frameCount = MsToFrames(durationMs, fps);
  if (settings.frameCount <= 0) {
    std::fprintf(stderr, "render: --duration %d ms is shorter than one frame at %.6g frames a second\n",
                 static_cast<int>(durationMs), static_cast<double>(fps));
    return kExitUsage;
  }
  const bool preview = options.previewAsked;
  if (!ParseVideoCodec(options.codec, settings.codec)) {
    std::fprintf(stderr, "render: --codec is ffv1, prores or h264, not '%s'\n",
                 options.codec.c_str());
    return kExitUsage;
  }
  const OutputKind kind = OutputKindOf(options.out);
  const bool matteKind = kind != OutputKind::kUnknown && kind != OutputKind::kMp4;
  const bool previewKind = kind == OutputKind::kMp4 || kind == OutputKind::kMatroska ||
                           kind == OutputKind::kQuickTime;
  if (preview ? !previewKind : !matteKind) {
    std::fprintf(stderr,
                 preview ? "render: a preview is written as .mp4, .mkv or .mov, not '%s'\n"
                         : "render: the output's name says what is written: .mkv, .avi or .mov "
                           "for a video, or a .png name with a frame number such as "
                           "matte-%%04d.png for pictures; not '%s'\n",
                 options.out.c_str());
    return kExitUsage;
  }
  if (preview && (settings.width % 2 != 0 || settings.height % 2 != 0)) {
    std::fprintf(stderr, "render: a preview's H.264 wants an even width and height, not %dx%d\n",
                 static_cast<int>(settings.width), static_cast<int>(settings.height));
    return kExitUsage;
  }
  settings.edgeWidth = options.width;
  settings.lowPosition = FirstWipePosition(options.width);
  settings.highPosition = LastWipePosition(options.width);
  settings.invert = options.invert;
  settings.reverse = options.reverse;
  settings.inOut = options.inOut;
  settings.encoder = options.encoder;

  GreyImage pattern;
  const int32_t loaded = ReadPicturePattern(options.pattern, pattern);
  if (loaded != kOk) {
    ReportFileError(loaded, "Load Image", options.pattern);
    Explain(kCommand, WhyNotReadable(options.pattern));
    return kExitFailure;
  }
  RgbImage a, b;
  if (preview && !PreviewPictures(options, settings.width, settings.height, a, b))
    return kExitFailure;

  // The library's own lines only for what goes wrong; its notes on every
  // encoder it opens are not for a user of this command.
  av_log_set_level(AV_LOG_ERROR);
  TerminalProgress progress;
  RenderStatus status;
  const int32_t code =
      preview ? RenderPreview(pattern, settings, a, b, options.out, &progress, status)
              : RenderMatte(pattern, settings, options.out, &progress, status);
  if (code == kOk) {
    std::printf("%s: %d frames\n", options.out.c_str(),
                settings.frameCount * (settings.inOut ? 2 : 1));
    return kExitOk;
  }
  if (code == kErrCancelled) {
    std::fprintf(stderr, "render: cancelled; nothing new was left at '%s'\n",
                 options.out.c_str());
    return kExitCancelled;
  }
  ReportRenderFailure(status, preview ? "Render Preview" : "Render Matte");
  if (code == kErrNoFile)
    Explain(kCommand, WhyNotWritable(options.out));
  std::fprintf(stderr, "render: nothing new was left at '%s'\n", options.out.c_str());
  return kExitFailure;
}

}  // namespace

void AddRenderCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<RenderOptions>();
  CLI::App* sub = app.add_subcommand(
      "render",
      "Write a wipe as a grey matte video (or picture sequence) for video editors, or with "
      "--preview as an H.264 video of the wipe over two pictures");
  sub->footer(
      "Frame k of n shows wipe position lo + k * (hi - lo) / (n - 1), rounded to nearest, "
      "with lo = -(W/2) and hi = 255 + W/2 (halves truncated): the first frame is all white "
      "(the first picture whole), the last all black (the second). The output's name says "
      "what is written: .mkv, .avi or .mov hold FFV1, lossless 8-bit grey, unless --codec says "
      "prores (ProRes 4444, prores_ks, 10-bit 4:4:4) or h264 (libx264 at CRF 18, 4:2:0); a "
      ".png name with a frame number (matte-%04d.png) gives one 8-bit grey PNG a frame, "
      "numbered from 0. A preview is H.264 (CRF 18, 4:2:0) in .mp4, .mkv or .mov. Nothing is "
      "replaced until the render is complete; Ctrl-C cancels.");
  sub->add_option("--pattern", options->pattern, "Wipe pattern, a 24- or 32-bit TARGA file")
      ->required();
  sub->add_option("--width", options->width, "Softness of the edge, 0 to 255")
      ->check(CLI::Range(0, 255))
      ->capture_default_str();
  sub->add_option("--duration", options->duration,
                  "Length of one pass: milliseconds or a time code HH:MM:SS:FF at the frame rate")
      ->required();
  CLI::Option* size =
      sub->add_option("--size", options->size, "Frame size WIDTHxHEIGHT (default: the standard's)");
  sub->add_option("--standard", options->standard,
                  "ntsc (640x480, 29.97 frames a second) or pal (768x576, 25)")
      ->capture_default_str()
      ->excludes(size);
  sub->add_option("--fps", options->fps,
                  "Frame rate (default: the standard's), as 25, 29.97 or 30000/1001");
  sub->add_flag("--invert", options->invert, "Turn the pattern over (v -> 255 - v)");
  sub->add_flag("--reverse", options->reverse, "Run the wipe from its end to its start");
  sub->add_flag("--in-out", options->inOut,
                "Add the way back, as playback does: the same frames again in the opposite "
                "order, so the video is twice the duration");
  sub->add_option("--codec", options->codec, "ffv1, prores or h264, for a matte video")
      ->capture_default_str();
  // For encoders of this machine's own (a hardware one, say); not in the help.
  sub->add_option("--encoder", options->encoder, "libavcodec encoder name")->group("");
  sub->add_option("--preview", options->preview,
                  "Write a preview: the wipe from picture A to picture B (any picture the video "
                  "library reads; a test card and its negative when left out)")
      ->expected(0, 2)
      ->type_name("[A B]");
  sub->add_option("-o,--output", options->out, "File to write")->required();
  sub->callback([options, sub, &status] {
    options->previewAsked = sub->count("--preview") > 0;
    // Given without pictures, the option still holds one empty value.
    std::erase(options->preview, std::string());
    if (options->previewAsked && options->preview.size() == 1) {
      std::fprintf(stderr, "render: --preview takes two pictures or none\n");
      status = kExitUsage;
      return;
    }
    status = RunRender(*options);
  });
}
