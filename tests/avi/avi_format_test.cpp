#include "avi/avi_format.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A bitmap header whose every field, in order, has bytes of its own, so a
// field stored or read at the wrong place, or in the wrong order, shows.
const BitmapInfoHeader kHeader{40,         640,        -288, 1,          32,        kFourCCOrvt,
                               0x24232221, 0x34333231, -2,   0x54535251, 0x64636261};
const Bytes kHeaderBytes = {
    0x28, 0x00, 0x00, 0x00,  // biSize
    0x80, 0x02, 0x00, 0x00,  // biWidth
    0xE0, 0xFE, 0xFF, 0xFF,  // biHeight
    0x01, 0x00,              // biPlanes
    0x20, 0x00,              // biBitCount
    'O',  'R',  'V',  'T',   // biCompression
    0x21, 0x22, 0x23, 0x24,  // biSizeImage
    0x31, 0x32, 0x33, 0x34,  // biXPelsPerMeter
    0xFE, 0xFF, 0xFF, 0xFF,  // biYPelsPerMeter
    0x51, 0x52, 0x53, 0x54,  // biClrUsed
    0x61, 0x62, 0x63, 0x64,  // biClrImportant
};

TEST(BitmapInfoHeaderTest, EveryFieldSitsAtItsOffset) {
  ASSERT_EQ(kHeaderBytes.size(), kBitmapInfoSize);
  Bytes out(kBitmapInfoSize, 0xEE);
  StoreBitmapInfoHeader(kHeader, out);
  EXPECT_EQ(out, kHeaderBytes);
  EXPECT_EQ(LoadBitmapInfoHeader(kHeaderBytes), kHeader);
}

TEST(BitmapInfoHeaderTest, AShortFormatHoldsOnlyItsWholeFields) {
  struct Case {
    size_t bytes;
    size_t whole;  // the bytes of the fields that fit whole
    int32_t height;
    uint16_t planes, bitCount;
    uint32_t compression;
  } cases[] = {{0, 0, 0, 0, 0, 0},       {11, 8, 0, 0, 0, 0},
               {12, 12, -288, 0, 0, 0},  {15, 14, -288, 1, 0, 0},
               {16, 16, -288, 1, 32, 0}, {20, 20, -288, 1, 32, kFourCCOrvt}};
  for (const Case& c : cases) {
    const std::span<const uint8_t> in(kHeaderBytes.data(), c.bytes);
    const BitmapInfoHeader h = LoadBitmapInfoHeader(in);
    EXPECT_EQ(h.height, c.height) << c.bytes;
    EXPECT_EQ(h.planes, c.planes) << c.bytes;
    EXPECT_EQ(h.bitCount, c.bitCount) << c.bytes;
    EXPECT_EQ(h.compression, c.compression) << c.bytes;
    EXPECT_EQ(h.sizeImage, 0u) << c.bytes;

    // A field cut by the end is left as it was.
    Bytes out(c.bytes, 0xEE);
    StoreBitmapInfoHeader(kHeader, out);
    Bytes want(kHeaderBytes.begin(), kHeaderBytes.begin() + static_cast<std::ptrdiff_t>(c.whole));
    want.resize(c.bytes, 0xEE);
    EXPECT_EQ(out, want) << c.bytes;
  }
}

}  // namespace
