#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/render_status.h"
#include "render/video_encoder.h"
#include "wipe/grey_image.h"

class ExportProgress;

// A wipe written out as video for editors: the matte (the alpha of every
// frame as grey) or a preview (the wipe mixed over two pictures).
struct MatteSettings {
  int32_t edgeWidth = 48;
  // The positions the wipe runs over, both reached; see MattePositions.
  int32_t lowPosition = -24;
  int32_t highPosition = 279;
  // Frames of one pass; inOut doubles them.
  int32_t frameCount = 0;
  int32_t width = 0;
  int32_t height = 0;
  AVRational frameRate{25, 1};
  // The pattern's values turned over (v -> 255 - v) before it is scaled.
  bool invert = false;
  bool reverse = false;
  bool inOut = false;
  // The matte's codec when its container does not decide (a picture
  // sequence is always PNG); encoder, when not empty, names the libavcodec
  // encoder to use in its place.
  VideoCodec codec = VideoCodec::kFfv1;
  std::string encoder;
};

// An RGB picture, 3 bytes a pixel, rows top to bottom without padding.
struct RgbImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;
};

// Writes the matte into outPath, a video file or a numbered PNG sequence
// by its name (render/output_kind.h). Frame k is the transition table of
// position k applied to the pattern scaled to the frame size, whole frames.
// progress, when given, is opened with one step a frame and can cancel
// (kErrCancelled). Returns 0 or the code, with status saying more; on any
// failure or cancel nothing new is left at outPath.
int32_t RenderMatte(const GreyImage& pattern, const MatteSettings& settings,
                    const std::string& outPath, ExportProgress* progress, RenderStatus& status);

// Writes the wipe mixed over a (where the matte is 255) and b (where it
// is 0), each scaled to the frame size, as H.264 4:2:0 into outPath (.mp4,
// .mkv or .mov): out = (a * alpha + b * (255 - alpha) + 127) / 255 per
// channel. The frame size must be even.
int32_t RenderPreview(const GreyImage& pattern, const MatteSettings& settings, const RgbImage& a,
                      const RgbImage& b, const std::string& outPath, ExportProgress* progress,
                      RenderStatus& status);

// One mixed pixel row: out[k] = (a[k] * alpha + b[k] * (255 - alpha) + 127) / 255
// with alpha = matte[k / 3].
void MixRow(uint8_t* out, const uint8_t* a, const uint8_t* b, const uint8_t* matte,
            int32_t pixels);

// An RGB picture scaled to width x height, each channel as the resampler
// scales a grey picture.
RgbImage ScaleRgbImage(const RgbImage& source, int32_t width, int32_t height);
