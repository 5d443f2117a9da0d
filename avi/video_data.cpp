#include "avi/video_data.h"

#include "avi/device_frame.h"
#include "support/error_codes.h"

VideoData::VideoData() : VideoData(640, 480, 0.0) {}

VideoData::VideoData(int32_t width, int32_t height, double frameRate) : frameRate_(frameRate) {
  StoreBitmapInfoHeader(MakeBitmapInfoHeader(width, height, 32, kFourCCOrvt), format_);
}

int32_t VideoData::GetStatus() const {
  return kOk;
}
int32_t VideoData::GetFrameCount() const {
  return 1;
}
double VideoData::GetFrameRate() const {
  return frameRate_;
}
uint32_t VideoData::GetHandler() const {
  return kFourCCOrvt;
}
int32_t VideoData::GetQuality() const {
  return 10000;
}
const uint8_t* VideoData::GetFormat() const {
  return format_;
}
int32_t VideoData::GetFormatSize() const {
  return static_cast<int32_t>(kBitmapInfoSize);
}

const std::string& VideoData::GetFileName() const {
  static const std::string kNone;
  return kNone;
}

int32_t VideoData::ReadFrame(int32_t, std::span<uint8_t> buffer, int32_t& size) {
  return WriteEmptyFrame(buffer, size);
}

int32_t VideoData::WriteEmptyFrame(std::span<uint8_t> buffer, int32_t& size) {
  size = 0;
  if (buffer.size() < kEmptyDeviceFrameSize)
    return kErrBadFile;
  StoreLe32(buffer.data(), kDeviceFrameMagic);
  size = static_cast<int32_t>(kEmptyDeviceFrameSize);
  return kOk;
}
