#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "render/av_handles.h"
#include "render/render_status.h"

// The codecs a render can write, each with the settings it is written with.
enum class VideoCodec {
  // Lossless, 8-bit grey: the matte exactly as computed.
  kFfv1,
  // ProRes 4444 in 10-bit 4:4:4, for editors that take ProRes only.
  kProRes,
  // H.264 at constant quality 18 (visually lossless for most uses), 4:2:0.
  kH264,
  // 8-bit grey pictures, one file a frame.
  kPng,
};

// A libavcodec encoder by name, the pixel format it is fed and the private
// options it is opened with.
struct EncoderChoice {
  std::string encoder;
  AVPixelFormat pixelFormat = AV_PIX_FMT_NONE;
  std::vector<std::pair<std::string, std::string>> options;
};

EncoderChoice EncoderFor(VideoCodec codec);

// "ffv1", "prores" or "h264"; false for any other name.
bool ParseVideoCodec(const std::string& name, VideoCodec& codec);

// Finds choice.encoder and opens it for width x height frames at rate
// frames a second. globalHeader asks for the stream headers apart, as
// some containers want. 0; kErrNoEncoder (status.file names the encoder)
// when this build of the library has no encoder of that name;
// kErrVideoParameters when the encoder refuses the size, rate or options;
// kErrNoMemory. The library's message is kept in status.
int32_t OpenVideoEncoder(const EncoderChoice& choice, int32_t width, int32_t height,
                         AVRational rate, bool globalHeader, CodecContextHandle& encoder,
                         RenderStatus& status);
