#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "render/av_handles.h"
#include "render/output_kind.h"
#include "render/render_status.h"
#include "render/replacing_avio.h"
#include "render/video_encoder.h"

// Writes frames given as whole pictures of one pixel format (grey or RGB)
// into a video file or a numbered picture sequence, encoding with the
// chosen encoder and converting on the way where its format differs.
//
// A video file is written beside its target and replaces it at Finish. A
// picture sequence writes every picture the same way, each replacing its
// own name as soon as it is complete; a render that does not finish then
// removes the pictures it wrote, so the sequence is never left half new,
// though pictures of those names from before are gone.
class VideoFileWriter {
 public:
  VideoFileWriter() = default;
  VideoFileWriter(const VideoFileWriter&) = delete;
  VideoFileWriter& operator=(const VideoFileWriter&) = delete;
  ~VideoFileWriter() { Abandon(); }

  struct Settings {
    OutputKind kind = OutputKind::kUnknown;
    EncoderChoice encoder;
    int32_t width = 0;
    int32_t height = 0;
    AVRational frameRate{25, 1};
    // The pixel format WriteFrame is given.
    AVPixelFormat inputFormat = AV_PIX_FMT_GRAY8;
  };

  // Opens the encoder and the output and writes the headers. 0 or the code
  // (status says more); nothing is left behind on failure.
  int32_t Open(const std::string& path, const Settings& settings, RenderStatus& status);
  // One frame of width x height pixels in the input format, rows stride
  // bytes apart.
  int32_t WriteFrame(const uint8_t* pixels, int32_t stride, RenderStatus& status);
  // Drains the encoder, writes the trailer and puts the output in place.
  int32_t Finish(RenderStatus& status);
  // Drops everything written; the earlier output stays.
  void Abandon();

  int64_t FramesWritten() const { return framesWritten_; }

 private:
  // Sends frame (null to drain) and writes every packet that comes out.
  int32_t Encode(const AVFrame* frame, RenderStatus& status);
  int32_t OpenPicture(AVIOContext** io, const char* url, RenderStatus& status);
  int32_t ClosePicture(AVIOContext* io, RenderStatus& status);
  static int IoOpen(AVFormatContext* context, AVIOContext** io, const char* url, int flags,
                    AVDictionary** options);
  static int IoClose(AVFormatContext* context, AVIOContext* io);

  std::string path_;
  Settings settings_;
  CodecContextHandle encoder_;
  FormatContextHandle muxer_;
  AVStream* stream_ = nullptr;  // owned by muxer_
  FrameHandle frame_;
  PacketHandle packet_;
  ScalerHandle scaler_;
  std::unique_ptr<ReplacingAvio> file_;
  // A picture sequence: the picture being written and those in place.
  std::unique_ptr<ReplacingAvio> picture_;
  std::vector<std::string> picturesWritten_;
  // Where the picture callbacks keep a failure until the muxer returns.
  RenderStatus pictureStatus_;
  int64_t framesWritten_ = 0;
  bool headerWritten_ = false;
};
