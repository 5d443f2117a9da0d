#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "wipe/targa_format.h"

// One picture of a mask sequence: an uncompressed TARGA whose pixel data
// follows its 18-byte header directly and is taken as bottom-up, whatever
// the header's other fields say. Only the first byte of every pixel (the
// blue component) is mask.
struct MaskPicture {
  int32_t width = 0;
  int32_t height = 0;
  int32_t bytesPerPixel = 0;  // 3 or 4
  size_t pixelBytes = 0;      // read into the caller's buffer
};

inline constexpr size_t kMaskHeaderSize = kTargaHeaderSize;

// Reads the picture at path into pixels. 0; kErrNoFile when it cannot be
// opened; kErrCannotRead when the header or the pixels come up short;
// kErrBadFile for a picture the mask export cannot hold (a width of 0 or above
// 768, fewer than 128 lines, a depth other than 24 or 32 bits, pixels larger
// than the buffer), found from the header before a pixel is read.
int32_t ReadMaskPicture(const std::string& path, std::span<uint8_t> pixels, MaskPicture& mask);

// The 128 mask lines of a picture read by ReadMaskPicture, mask.width bytes
// each: the 64 lines of the first field (picture lines 0, 2, ..., 126 from
// the top) and after them the 64 of the second (lines 1, 3, ..., 127).
// lines must hold 128 x mask.width bytes.
void ExtractMaskLines(const MaskPicture& mask, std::span<const uint8_t> pixels,
                      std::span<uint8_t> lines);
