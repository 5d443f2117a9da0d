#include "avi/device_frame.h"

#include <cstring>

#include "support/error_codes.h"

bool IsDeviceFrame(std::span<const uint8_t> frame) {
  return frame.size() >= kDeviceFrameMagicSize && LoadLe32(frame.data()) == kDeviceFrameMagic;
}

FrameBlockWalker::FrameBlockWalker(std::span<const uint8_t> frame) : frame_(frame) {
  if (!IsDeviceFrame(frame))
    status_ = kErrBadFile;
}

bool FrameBlockWalker::Next(FrameBlock& block) {
  if (status_ != kOk || at_ == frame_.size())
    return false;
  const size_t left = frame_.size() - at_;
  if (left < kFrameBlockHeaderSize) {
    status_ = kErrBadFile;
    return false;
  }
  FrameBlockHeader header;
  header.tag = LoadLe32(frame_.data() + at_);
  header.length = LoadLe32(frame_.data() + at_ + 4);
  if (header.length > left - kFrameBlockHeaderSize) {
    status_ = kErrBadFile;
    return false;
  }
  block.header = header;
  block.offset = at_;
  block.whole = frame_.subspan(at_, kFrameBlockHeaderSize + header.length);
  block.payload = block.whole.subspan(kFrameBlockHeaderSize);
  at_ += block.whole.size();
  return true;
}

DeviceFrameBuilder::DeviceFrameBuilder(std::span<uint8_t> buffer) : buffer_(buffer) {
  if (buffer_.size() < kDeviceFrameMagicSize) {
    status_ = kErrBadParameter;
    return;
  }
  StoreLe32(buffer_.data(), kDeviceFrameMagic);
  size_ = kDeviceFrameMagicSize;
}

int32_t DeviceFrameBuilder::AppendBlock(uint32_t tag, std::span<const uint8_t> payload) {
  if (status_ != kOk || openBlock_ != SIZE_MAX)
    return kErrBadParameter;
  const size_t room = buffer_.size() - size_;
  if (room < kFrameBlockHeaderSize || payload.size() > room - kFrameBlockHeaderSize ||
      payload.size() > UINT32_MAX) {
    return kErrBadParameter;
  }
  StoreLe32(buffer_.data() + size_, tag);
  StoreLe32(buffer_.data() + size_ + 4, static_cast<uint32_t>(payload.size()));
  if (!payload.empty()) {
    std::memcpy(buffer_.data() + size_ + kFrameBlockHeaderSize, payload.data(), payload.size());
  }
  size_ += kFrameBlockHeaderSize + payload.size();
  return kOk;
}

int32_t DeviceFrameBuilder::AppendStored(std::span<const uint8_t> block) {
  if (status_ != kOk || openBlock_ != SIZE_MAX || block.size() > buffer_.size() - size_) {
    return kErrBadParameter;
  }
  if (!block.empty())
    std::memcpy(buffer_.data() + size_, block.data(), block.size());
  size_ += block.size();
  return kOk;
}

std::span<uint8_t> DeviceFrameBuilder::BeginBlock(uint32_t tag) {
  if (status_ != kOk || openBlock_ != SIZE_MAX || buffer_.size() - size_ < kFrameBlockHeaderSize) {
    return {};
  }
  StoreLe32(buffer_.data() + size_, tag);
  StoreLe32(buffer_.data() + size_ + 4, 0);
  openBlock_ = size_;
  return buffer_.subspan(size_ + kFrameBlockHeaderSize);
}

int32_t DeviceFrameBuilder::EndBlock(size_t length) {
  if (openBlock_ == SIZE_MAX)
    return kErrBadParameter;
  const size_t room = buffer_.size() - openBlock_ - kFrameBlockHeaderSize;
  const size_t header = openBlock_;
  openBlock_ = SIZE_MAX;
  // An unfinished block is dropped: the frame ends before its header.
  if (length > room || length > UINT32_MAX)
    return kErrBadParameter;
  StoreLe32(buffer_.data() + header + 4, static_cast<uint32_t>(length));
  size_ = header + kFrameBlockHeaderSize + length;
  return kOk;
}
