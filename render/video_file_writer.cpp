#include "render/video_file_writer.h"

#include <unistd.h>

extern "C" {
#include <libavutil/imgutils.h>
}

#include <cstring>

#include "render/av_error.h"
#include "support/error_codes.h"

namespace {

// Every picture converted with exact rounding and full chroma, as the
// matte's edge and the preview's test cards want it sharp.
constexpr int kScalerFlags = SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT;

}  // namespace

int32_t VideoFileWriter::Open(const std::string& path, const Settings& settings,
                              RenderStatus& status) {
  Abandon();
  path_ = path;
  settings_ = settings;
  const char* muxerName = MuxerName(settings.kind);
  if (!muxerName)
    return Fail(status, kErrBadParameter, path);

  AVFormatContext* made = nullptr;
  const int allocated = avformat_alloc_output_context2(&made, nullptr, muxerName, path.c_str());
  if (allocated < 0 || !made)
    return FailWithAvError(status, kErrNoMemory, path, allocated < 0 ? allocated : AVERROR(ENOMEM));
  muxer_.reset(made);

  const bool globalHeader = (muxer_->oformat->flags & AVFMT_GLOBALHEADER) != 0;
  int32_t code = OpenVideoEncoder(settings.encoder, settings.width, settings.height,
                                  settings.frameRate, globalHeader, encoder_, status);
  if (code != kOk) {
    Abandon();
    return code;
  }
  stream_ = avformat_new_stream(muxer_.get(), nullptr);
  if (!stream_ || avcodec_parameters_from_context(stream_->codecpar, encoder_.get()) < 0) {
    Abandon();
    return Fail(status, kErrNoMemory, path);
  }
  stream_->time_base = encoder_->time_base;
  stream_->avg_frame_rate = settings.frameRate;
  stream_->r_frame_rate = settings.frameRate;

  frame_.reset(av_frame_alloc());
  packet_.reset(av_packet_alloc());
  if (!frame_ || !packet_) {
    Abandon();
    return Fail(status, kErrNoMemory, path);
  }
  frame_->format = encoder_->pix_fmt;
  frame_->width = settings.width;
  frame_->height = settings.height;
  if (av_frame_get_buffer(frame_.get(), 0) < 0) {
    Abandon();
    return Fail(status, kErrNoMemory, path);
  }
  if (settings.inputFormat != encoder_->pix_fmt) {
    scaler_.reset(sws_getContext(settings.width, settings.height, settings.inputFormat,
                                 settings.width, settings.height, encoder_->pix_fmt, kScalerFlags,
                                 nullptr, nullptr, nullptr));
    if (!scaler_) {
      Abandon();
      return Fail(status, kErrVideoParameters, path);
    }
  }

  AVDictionary* options = nullptr;
  if (settings.kind == OutputKind::kPngSequence) {
    // The muxer opens one file a picture; each goes through our own
    // replacing file, and the pictures count from 0 as the frames do.
    muxer_->opaque = this;
    muxer_->io_open = IoOpen;
    muxer_->io_close2 = IoClose;
    av_dict_set(&options, "start_number", "0", 0);
  } else {
    file_ = std::make_unique<ReplacingAvio>();
    code = file_->Create(path, status);
    if (code != kOk) {
      Abandon();
      return code;
    }
    muxer_->pb = file_->Io();
  }
  const int written = avformat_write_header(muxer_.get(), &options);
  av_dict_free(&options);
  if (written < 0) {
    if (!pictureStatus_.Ok())
      status = pictureStatus_;
    else
      FailWithAvError(status, kErrCannotWrite, path, written);
    Abandon();
    return status.code;
  }
  headerWritten_ = true;
  return kOk;
}

int32_t VideoFileWriter::WriteFrame(const uint8_t* pixels, int32_t stride, RenderStatus& status) {
  if (!encoder_ || !headerWritten_)
    return Fail(status, kErrFatal, path_);
  if (av_frame_make_writable(frame_.get()) < 0)
    return Fail(status, kErrNoMemory, path_);
  if (scaler_) {
    const uint8_t* planes[1] = {pixels};
    const int strides[1] = {stride};
    sws_scale(scaler_.get(), planes, strides, 0, settings_.height, frame_->data, frame_->linesize);
  } else {
    const size_t rowBytes = static_cast<size_t>(av_image_get_linesize(
        static_cast<AVPixelFormat>(frame_->format), settings_.width, 0));
    for (int32_t y = 0; y < settings_.height; ++y) {
      std::memcpy(frame_->data[0] + static_cast<ptrdiff_t>(y) * frame_->linesize[0],
                  pixels + static_cast<ptrdiff_t>(y) * stride, rowBytes);
    }
  }
  frame_->pts = framesWritten_;
  const int32_t code = Encode(frame_.get(), status);
  if (code == kOk)
    ++framesWritten_;
  return code;
}

int32_t VideoFileWriter::Encode(const AVFrame* frame, RenderStatus& status) {
  int result = avcodec_send_frame(encoder_.get(), frame);
  if (result < 0)
    return FailWithAvError(status, kErrCannotWrite, path_, result);
  for (;;) {
    result = avcodec_receive_packet(encoder_.get(), packet_.get());
    if (result == AVERROR(EAGAIN) || result == AVERROR_EOF)
      return kOk;
    if (result < 0)
      return FailWithAvError(status, kErrCannotWrite, path_, result);
    av_packet_rescale_ts(packet_.get(), encoder_->time_base, stream_->time_base);
    packet_->stream_index = stream_->index;
    result = av_interleaved_write_frame(muxer_.get(), packet_.get());
    // A picture's own failure is the one to tell: the muxer may not pass it on.
    if (!pictureStatus_.Ok()) {
      status = pictureStatus_;
      return status.code;
    }
    if (result < 0)
      return FailWithAvError(status, kErrCannotWrite, path_, result);
  }
}

int32_t VideoFileWriter::Finish(RenderStatus& status) {
  if (!encoder_ || !headerWritten_)
    return Fail(status, kErrFatal, path_);
  int32_t code = Encode(nullptr, status);
  if (code != kOk) {
    Abandon();
    return code;
  }
  const int trailer = av_write_trailer(muxer_.get());
  headerWritten_ = false;
  if (!pictureStatus_.Ok()) {
    status = pictureStatus_;
    Abandon();
    return status.code;
  }
  if (trailer < 0) {
    FailWithAvError(status, kErrCannotWrite, path_, trailer);
    Abandon();
    return status.code;
  }
  if (file_) {
    code = file_->Commit(status);
    if (code != kOk) {
      Abandon();
      return code;
    }
  }
  // Everything is in place now; nothing is left to take back.
  picturesWritten_.clear();
  file_.reset();
  Abandon();
  return kOk;
}

void VideoFileWriter::Abandon() {
  // The muxer first: it may still hold the I/O context of a file below.
  muxer_.reset();
  stream_ = nullptr;
  headerWritten_ = false;
  encoder_.reset();
  scaler_.reset();
  frame_.reset();
  packet_.reset();
  file_.reset();
  picture_.reset();
  for (const std::string& written : picturesWritten_)
    unlink(written.c_str());
  picturesWritten_.clear();
  pictureStatus_ = RenderStatus{};
}

int32_t VideoFileWriter::OpenPicture(AVIOContext** io, const char* url, RenderStatus& status) {
  picture_ = std::make_unique<ReplacingAvio>();
  const int32_t code = picture_->Create(url, status);
  if (code != kOk) {
    picture_.reset();
    return code;
  }
  *io = picture_->Io();
  return kOk;
}

int32_t VideoFileWriter::ClosePicture(AVIOContext* io, RenderStatus& status) {
  if (!picture_ || picture_->Io() != io)
    return Fail(status, kErrFatal, path_);
  const std::string target = picture_->Target();
  const int32_t code = picture_->Commit(status);
  picture_.reset();
  if (code == kOk)
    picturesWritten_.push_back(target);
  return code;
}

int VideoFileWriter::IoOpen(AVFormatContext* context, AVIOContext** io, const char* url,
                            int /*flags*/, AVDictionary** /*options*/) {
  auto* writer = static_cast<VideoFileWriter*>(context->opaque);
  return writer->OpenPicture(io, url, writer->pictureStatus_) == kOk ? 0 : AVERROR(EIO);
}

int VideoFileWriter::IoClose(AVFormatContext* context, AVIOContext* io) {
  auto* writer = static_cast<VideoFileWriter*>(context->opaque);
  return writer->ClosePicture(io, writer->pictureStatus_) == kOk ? 0 : AVERROR(EIO);
}
