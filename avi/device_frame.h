#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "avi/avi_format.h"

// The card's frame format: the payload of every video chunk of its AVI
// files. "ORV1", then frame blocks one after the other up to the end:
//   tag     32-bit: block type in bits 0-30, bit 31 set for the second field
//   length  32-bit: payload bytes
//   payload length bytes; the next block follows without padding

inline constexpr uint32_t kDeviceFrameMagic = FourCC("ORV1");
inline constexpr size_t kDeviceFrameMagicSize = 4;
// The frame without blocks, "ORV1" alone: what a source without a frame gives.
inline constexpr size_t kEmptyDeviceFrameSize = 4;

inline constexpr uint32_t kSecondFieldBit = 0x80000000u;
inline constexpr uint32_t kBlockTypeMask = 0x7FFFFFFFu;
// Compressed video of one field, copied byte for byte from the card.
inline constexpr uint32_t kVideoFieldBlock = 1;
// 64 lines of raw 8-bit mask.
inline constexpr uint32_t kMaskFieldBlock = 2;
// kAlphaLeadBytes zero bytes, then an encoded alpha field.
inline constexpr uint32_t kAlphaFieldBlock = 10;
inline constexpr size_t kAlphaLeadBytes = 1024;
inline constexpr size_t kFrameBlockHeaderSize = 8;

// The export's working buffers, sized for frames up to 768 x 576.
inline constexpr size_t kSourceFrameCapacity = 768 * 576 * 6 + 16;    // 2654224
inline constexpr size_t kOutputFrameCapacity = 768 * 576 * 6 + 2064;  // 2656272
inline constexpr size_t kSegmentScratchCapacity = 768 * 576 / 4;      // 110592

struct FrameBlockHeader {
  uint32_t tag = 0;
  uint32_t length = 0;

  uint32_t Type() const { return tag & kBlockTypeMask; }
  bool IsSecondField() const { return (tag & kSecondFieldBit) != 0; }
};

struct FrameBlock {
  FrameBlockHeader header;
  size_t offset = 0;                 // of the block header within the frame
  std::span<const uint8_t> payload;  // length bytes
  std::span<const uint8_t> whole;    // header and payload, as stored
};

// True when the frame holds at least the magic and begins with it.
bool IsDeviceFrame(std::span<const uint8_t> frame);

// Walks the blocks of one frame without trusting any length: a block header
// or payload that would run past the frame's end stops the walk with
// kErrBadFile.
//
//   FrameBlockWalker walker(frame);
//   FrameBlock block;
//   while (walker.Next(block)) { ... }
//   if (walker.Status() != kOk) { ... }
class FrameBlockWalker {
 public:
  explicit FrameBlockWalker(std::span<const uint8_t> frame);

  // The next block: true. False at the end of the frame and when the frame is
  // bad; Status tells the two apart.
  bool Next(FrameBlock& block);
  // 0, or kErrBadFile for a frame without the magic or with a block that does
  // not fit.
  int32_t Status() const { return status_; }

 private:
  std::span<const uint8_t> frame_;
  size_t at_ = kDeviceFrameMagicSize;
  int32_t status_ = 0;
};

// Builds a frame in a caller's buffer: the magic first, then blocks, each
// checked against the room left.
class DeviceFrameBuilder {
 public:
  // Starts the frame with the magic; Status is kErrBadParameter when the
  // buffer cannot hold even that.
  explicit DeviceFrameBuilder(std::span<uint8_t> buffer);

  // Appends a block with the payload. 0, or kErrBadParameter when it does not
  // fit (nothing is appended then).
  int32_t AppendBlock(uint32_t tag, std::span<const uint8_t> payload);
  // Appends stored block bytes (a FrameBlock's whole) unchanged; 0 or
  // kErrBadParameter.
  int32_t AppendStored(std::span<const uint8_t> block);

  // For a payload built in place: the room after a new block header (empty
  // when not even the header fits). EndBlock then fixes the length; 0, or
  // kErrBadParameter when it exceeds the room or no block was begun.
  std::span<uint8_t> BeginBlock(uint32_t tag);
  int32_t EndBlock(size_t length);

  int32_t Status() const { return status_; }
  size_t Size() const { return size_; }
  std::span<const uint8_t> Frame() const { return buffer_.first(size_); }

 private:
  std::span<uint8_t> buffer_;
  size_t size_ = 0;
  size_t openBlock_ = SIZE_MAX;  // offset of the header BeginBlock wrote
  int32_t status_ = 0;
};
