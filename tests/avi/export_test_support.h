#pragma once

// What the export tests share: a progress recorder that can cancel, the
// frames and blocks of a written file, and the alpha a field should carry.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "avi/alpha_decoder.h"
#include "avi/avi_video_data.h"
#include "avi/device_frame.h"
#include "avi/export_progress.h"
#include "tests/avi/avi_test_support.h"
#include "wipe/targa_format.h"
#include "wipe/transition_table.h"

namespace exporttest {

using avitest::Bytes;

// Keeps every call; Update answers false once done reaches cancelAt.
class RecordingProgress : public ExportProgress {
 public:
  void Open(const std::string& caption, const std::string& fileName, int32_t total,
            bool cancelAllowed) override {
    ++opens;
    this->caption = caption;
    this->fileName = fileName;
    this->total = total;
    this->cancelAllowed = cancelAllowed;
  }
  bool Update(int32_t done) override {
    updates.push_back(done);
    return cancelAt <= 0 || done < cancelAt;
  }
  void Close() override { ++closes; }

  int32_t cancelAt = 0;
  int opens = 0;
  int closes = 0;
  std::string caption;
  std::string fileName;
  int32_t total = -1;
  bool cancelAllowed = false;
  std::vector<int32_t> updates;
};

struct Block {
  uint32_t tag = 0;
  Bytes payload;
  bool operator==(const Block&) const = default;
};

// Every frame of the file, each as its blocks; fails the test when the file
// does not open or a frame does not walk.
inline std::vector<std::vector<Block>> ReadBlocks(const std::string& path) {
  std::vector<std::vector<Block>> frames;
  AVIVideoData file(path);
  EXPECT_EQ(file.GetStatus(), 0) << path;
  Bytes buffer(kSourceFrameCapacity);
  for (int32_t i = 0; i < file.GetFrameCount(); ++i) {
    int32_t size = 0;
    EXPECT_EQ(file.ReadFrame(i, buffer, size), 0) << "frame " << i;
    FrameBlockWalker walker(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(size)));
    FrameBlock block;
    std::vector<Block> blocks;
    while (walker.Next(block))
      blocks.push_back({block.header.tag, Bytes(block.payload.begin(), block.payload.end())});
    EXPECT_EQ(walker.Status(), 0) << "frame " << i;
    frames.push_back(blocks);
  }
  return frames;
}

inline std::vector<uint32_t> Tags(const std::vector<Block>& blocks) {
  std::vector<uint32_t> tags;
  for (const Block& b : blocks)
    tags.push_back(b.tag);
  return tags;
}

// The alpha an alpha block carries, decoded; empty (with a test failure)
// when the lead is not zero or the field does not decode.
inline Bytes DecodeAlphaBlock(const Block& block, int32_t width, int32_t lines) {
  if (block.payload.size() < kAlphaLeadBytes) {
    ADD_FAILURE() << "alpha block of " << block.payload.size() << " bytes";
    return {};
  }
  for (size_t i = 0; i < kAlphaLeadBytes; ++i) {
    if (block.payload[i] != 0) {
      ADD_FAILURE() << "lead byte " << i << " is " << int(block.payload[i]);
      return {};
    }
  }
  Bytes alpha(static_cast<size_t>(width) * lines);
  const int32_t code = DecodeAlphaField(
      std::span<const uint8_t>(block.payload).subspan(kAlphaLeadBytes), width, lines, alpha);
  if (code != 0) {
    ADD_FAILURE() << "alpha field does not decode: " << code;
    return {};
  }
  return alpha;
}

// The table for (position, edgeWidth) applied to one field of a pattern.
inline Bytes ExpectedAlpha(const uint8_t* field, size_t bytes, int32_t position,
                           int32_t edgeWidth) {
  TransitionTable table;
  BuildTransitionTable(table, position, edgeWidth);
  Bytes alpha(bytes);
  ApplyTransitionTable(alpha.data(), field, table, bytes);
  return alpha;
}

// A field-split pattern with both smooth ramps and busy stretches, so the
// encoder uses fills and literals.
inline Bytes TestPattern(int32_t width, int32_t height) {
  Bytes pattern(static_cast<size_t>(width) * height);
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      const int32_t ramp = x * 255 / (width - 1);
      pattern[static_cast<size_t>(y) * width + x] =
          static_cast<uint8_t>(x < width / 2 ? ramp : (ramp + y * 37 + x * 11) & 0xFF);
    }
  }
  return pattern;
}

// The mask value of picture line m (from the top), column x, of mask number n.
inline uint8_t MaskValue(int32_t n, int32_t m, int32_t x) {
  return static_cast<uint8_t>(m * 3 + x * 5 + n * 17);
}

struct MaskShape {
  int32_t width = 16;
  int32_t height = 130;
  int32_t depth = 24;
};

// A TARGA picture as a mask sequence stores it: bottom row first, the mask
// in the first (blue) byte, other channels holding something else.
inline Bytes MaskTarga(int32_t n, const MaskShape& shape, size_t cutPixels = 0) {
  TargaHeader header;
  header.imageType = kTargaTrueColour;
  header.width = static_cast<uint16_t>(shape.width);
  header.height = static_cast<uint16_t>(shape.height);
  header.pixelDepth = static_cast<uint8_t>(shape.depth);
  header.descriptor = shape.depth == 32 ? 8 : 0;
  Bytes file(kTargaHeaderSize, 0);
  StoreTargaHeader(header, std::span(file).first<kTargaHeaderSize>());
  const int32_t bytes = std::max(shape.depth / 8, 1);
  for (int32_t stored = 0; stored < shape.height; ++stored) {
    const int32_t m = shape.height - 1 - stored;
    for (int32_t x = 0; x < shape.width; ++x) {
      file.push_back(MaskValue(n, m, x));
      for (int32_t k = 1; k < bytes; ++k)
        file.push_back(static_cast<uint8_t>(0xE0 + k + shape.depth));
    }
  }
  file.resize(file.size() - cutPixels);
  return file;
}

}  // namespace exporttest
