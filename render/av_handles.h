#pragma once

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/frame.h>
#include <libswscale/swscale.h>
}

#include <memory>

// One owner per libav handle, each released by its library's own function;
// a null handle releases nothing. Moving leaves the source empty.
namespace avhandle {

template <typename T, void (*Release)(T*)>
struct Releaser {
  void operator()(T* handle) const {
    if (handle)
      Release(handle);
  }
};

inline void FreeCodecContext(AVCodecContext* context) {
  avcodec_free_context(&context);
}
inline void FreeFrame(AVFrame* frame) {
  av_frame_free(&frame);
}
inline void FreePacket(AVPacket* packet) {
  av_packet_free(&packet);
}
// The format context of an output; its I/O context has an owner of its own.
inline void FreeFormatContext(AVFormatContext* context) {
  avformat_free_context(context);
}
// The buffer may have been replaced by the library since it was given.
inline void FreeIoContext(AVIOContext* context) {
  av_freep(&context->buffer);
  avio_context_free(&context);
}

}  // namespace avhandle

using CodecContextHandle =
    std::unique_ptr<AVCodecContext, avhandle::Releaser<AVCodecContext, avhandle::FreeCodecContext>>;
using FrameHandle = std::unique_ptr<AVFrame, avhandle::Releaser<AVFrame, avhandle::FreeFrame>>;
using PacketHandle = std::unique_ptr<AVPacket, avhandle::Releaser<AVPacket, avhandle::FreePacket>>;
using FormatContextHandle =
    std::unique_ptr<AVFormatContext,
                    avhandle::Releaser<AVFormatContext, avhandle::FreeFormatContext>>;
using IoContextHandle =
    std::unique_ptr<AVIOContext, avhandle::Releaser<AVIOContext, avhandle::FreeIoContext>>;
using ScalerHandle = std::unique_ptr<SwsContext, avhandle::Releaser<SwsContext, sws_freeContext>>;
