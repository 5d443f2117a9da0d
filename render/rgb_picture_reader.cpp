#include "render/rgb_picture_reader.h"

#include "render/av_error.h"
#include "render/av_handles.h"
#include "support/error_codes.h"

namespace {

// An input's format context is closed, not just freed.
void CloseInput(AVFormatContext* context) {
  avformat_close_input(&context);
}
using InputHandle =
    std::unique_ptr<AVFormatContext, avhandle::Releaser<AVFormatContext, CloseInput>>;

}  // namespace

int32_t ReadRgbPicture(const std::string& path, RgbImage& picture, RenderStatus& status) {
  picture = RgbImage{};
  AVFormatContext* opened = nullptr;
  int result = avformat_open_input(&opened, path.c_str(), nullptr, nullptr);
  if (result < 0)
    return FailWithAvError(status, kErrCannotOpen, path, result);
  InputHandle input(opened);
  result = avformat_find_stream_info(input.get(), nullptr);
  if (result < 0)
    return FailWithAvError(status, kErrBadFile, path, result);
  const AVCodec* codec = nullptr;
  const int index = av_find_best_stream(input.get(), AVMEDIA_TYPE_VIDEO, -1, -1, &codec, 0);
  if (index < 0 || !codec)
    return FailWithAvError(status, kErrBadFile, path, index < 0 ? index : AVERROR_DECODER_NOT_FOUND);
  CodecContextHandle decoder(avcodec_alloc_context3(codec));
  FrameHandle frame(av_frame_alloc());
  PacketHandle packet(av_packet_alloc());
  if (!decoder || !frame || !packet)
    return Fail(status, kErrNoMemory, path);
  result = avcodec_parameters_to_context(decoder.get(), input->streams[index]->codecpar);
  if (result >= 0)
    result = avcodec_open2(decoder.get(), codec, nullptr);
  if (result < 0)
    return FailWithAvError(status, kErrBadFile, path, result);

  // Packets until the decoder gives a picture; at the end, what it holds.
  bool draining = false;
  for (;;) {
    result = avcodec_receive_frame(decoder.get(), frame.get());
    if (result == 0)
      break;
    if (result != AVERROR(EAGAIN) || draining)
      return FailWithAvError(status, kErrBadFile, path, result);
    result = av_read_frame(input.get(), packet.get());
    if (result == AVERROR_EOF) {
      draining = true;
      avcodec_send_packet(decoder.get(), nullptr);
      continue;
    }
    if (result < 0)
      return FailWithAvError(status, kErrBadFile, path, result);
    if (packet->stream_index == index)
      result = avcodec_send_packet(decoder.get(), packet.get());
    av_packet_unref(packet.get());
    if (result < 0)
      return FailWithAvError(status, kErrBadFile, path, result);
  }

  ScalerHandle scaler(sws_getContext(frame->width, frame->height,
                                     static_cast<AVPixelFormat>(frame->format), frame->width,
                                     frame->height, AV_PIX_FMT_RGB24,
                                     SWS_BICUBIC | SWS_ACCURATE_RND | SWS_FULL_CHR_H_INT, nullptr,
                                     nullptr, nullptr));
  if (!scaler)
    return Fail(status, kErrBadFile, path);
  picture.width = frame->width;
  picture.height = frame->height;
  picture.pixels.resize(static_cast<size_t>(frame->width) * frame->height * 3);
  uint8_t* planes[1] = {picture.pixels.data()};
  const int strides[1] = {frame->width * 3};
  sws_scale(scaler.get(), frame->data, frame->linesize, 0, frame->height, planes, strides);
  return kOk;
}
