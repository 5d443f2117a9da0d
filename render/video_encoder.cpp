#include "render/video_encoder.h"

extern "C" {
#include <libavutil/opt.h>
}

#include "render/av_error.h"
#include "support/error_codes.h"

EncoderChoice EncoderFor(VideoCodec codec) {
  switch (codec) {
    case VideoCodec::kFfv1:
      return {"ffv1", AV_PIX_FMT_GRAY8, {}};
    case VideoCodec::kProRes:
      return {"prores_ks", AV_PIX_FMT_YUV444P10, {{"profile", "4444"}}};
    case VideoCodec::kH264:
      return {"libx264", AV_PIX_FMT_YUV420P, {{"crf", "18"}, {"preset", "medium"}}};
    case VideoCodec::kPng:
      return {"png", AV_PIX_FMT_GRAY8, {}};
  }
  return {};
}

bool ParseVideoCodec(const std::string& name, VideoCodec& codec) {
  if (name == "ffv1")
    codec = VideoCodec::kFfv1;
  else if (name == "prores")
    codec = VideoCodec::kProRes;
  else if (name == "h264")
    codec = VideoCodec::kH264;
  else
    return false;
  return true;
}

int32_t OpenVideoEncoder(const EncoderChoice& choice, int32_t width, int32_t height,
                         AVRational rate, bool globalHeader, CodecContextHandle& encoder,
                         RenderStatus& status) {
  encoder.reset();
  const AVCodec* codec = avcodec_find_encoder_by_name(choice.encoder.c_str());
  if (!codec)
    return FailWithAvError(status, kErrNoEncoder, choice.encoder, AVERROR_ENCODER_NOT_FOUND);
  CodecContextHandle context(avcodec_alloc_context3(codec));
  if (!context)
    return Fail(status, kErrNoMemory, choice.encoder);
  context->width = width;
  context->height = height;
  context->pix_fmt = choice.pixelFormat;
  context->time_base = av_inv_q(rate);
  context->framerate = rate;
  context->sample_aspect_ratio = AVRational{1, 1};
  // As many threads as the processor has, as ffmpeg itself would use.
  context->thread_count = 0;
  if (globalHeader)
    context->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
  for (const auto& [name, value] : choice.options) {
    const int set = av_opt_set(context->priv_data, name.c_str(), value.c_str(), 0);
    if (set < 0)
      return FailWithAvError(status, kErrVideoParameters, choice.encoder, set);
  }
  const int opened = avcodec_open2(context.get(), codec, nullptr);
  if (opened < 0)
    return FailWithAvError(status, kErrVideoParameters, choice.encoder, opened);
  encoder = std::move(context);
  return kOk;
}
