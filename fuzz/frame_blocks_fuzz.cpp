// Feeds arbitrary bytes to the block walk as one device frame. The walk must
// hand out only blocks that lie inside the frame, one right after the other,
// and a frame it accepts must come back byte for byte when its blocks are
// laid out again by the builder.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "avi/device_frame.h"
#include "support/error_codes.h"

namespace {

bool Inside(std::span<const uint8_t> part, std::span<const uint8_t> whole) {
  const uint8_t* begin = whole.data();
  const uint8_t* end = whole.data() + whole.size();
  return part.data() >= begin && part.data() <= end &&
         part.size() <= static_cast<size_t>(end - part.data());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> frame(data, size);
  FrameBlockWalker walker(frame);
  std::vector<FrameBlock> blocks;
  size_t expected = kDeviceFrameMagicSize;
  FrameBlock block;
  while (walker.Next(block)) {
    if (!Inside(block.whole, frame) || !Inside(block.payload, block.whole))
      __builtin_trap();
    if (block.offset != expected || block.whole.data() != data + block.offset)
      __builtin_trap();
    if (block.whole.size() != kFrameBlockHeaderSize + block.header.length ||
        block.payload.data() != block.whole.data() + kFrameBlockHeaderSize ||
        block.payload.size() != block.header.length) {
      __builtin_trap();
    }
    if (block.header.tag != LoadLe32(block.whole.data()) ||
        block.header.length != LoadLe32(block.whole.data() + 4)) {
      __builtin_trap();
    }
    expected += block.whole.size();
    blocks.push_back(block);
  }
  const int32_t status = walker.Status();
  if (status != kOk && status != kErrBadFile)
    __builtin_trap();
  // The end of the walk is final.
  if (walker.Next(block) || walker.Status() != status)
    __builtin_trap();
  if (!IsDeviceFrame(frame)) {
    if (status != kErrBadFile || !blocks.empty())
      __builtin_trap();
    return 0;
  }
  // An accepted frame is its blocks and nothing else; a refused one stopped
  // at a block that does not fit.
  if ((status == kOk) != (expected == size))
    __builtin_trap();
  if (status != kOk)
    return 0;

  // Laid out again in a buffer of exactly its size, by both ways of the
  // builder, the frame is unchanged.
  std::vector<uint8_t> stored(size), rebuilt(size);
  DeviceFrameBuilder byStored(stored), byBlock(rebuilt);
  for (const FrameBlock& b : blocks) {
    if (byStored.AppendStored(b.whole) != kOk ||
        byBlock.AppendBlock(b.header.tag, b.payload) != kOk) {
      __builtin_trap();
    }
  }
  if (byStored.Size() != size || byBlock.Size() != size ||
      std::memcmp(stored.data(), data, size) != 0 || std::memcmp(rebuilt.data(), data, size) != 0) {
    __builtin_trap();
  }
  // No room is left for another block.
  if (byBlock.AppendBlock(kVideoFieldBlock, {}) == kOk || !byBlock.BeginBlock(0).empty())
    __builtin_trap();
  return 0;
}
