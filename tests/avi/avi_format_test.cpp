#include "avi/avi_format.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <span>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

// A bitmap header whose every field has bytes of its own, so a field stored
// or read at the wrong place, or in the wrong order, shows.
BitmapInfoHeader Distinct() {
  BitmapInfoHeader h;
  h.size = 40;
  h.width = 640;
  h.height = -288;
  h.planes = 1;
  h.bitCount = 32;
  h.compression = kFourCCOrvt;
  h.sizeImage = 0x24232221;
  h.xPelsPerMeter = 0x34333231;
  h.yPelsPerMeter = -2;
  h.clrUsed = 0x54535251;
  h.clrImportant = 0x64636261;
  return h;
}

const Bytes kDistinct = {
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
  ASSERT_EQ(kDistinct.size(), kBitmapInfoSize);
  Bytes out(kBitmapInfoSize, 0xEE);
  StoreBitmapInfoHeader(Distinct(), out);
  EXPECT_EQ(out, kDistinct);
  EXPECT_EQ(LoadBitmapInfoHeader(kDistinct), Distinct());
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
    const std::span<const uint8_t> in(kDistinct.data(), c.bytes);
    const BitmapInfoHeader h = LoadBitmapInfoHeader(in);
    EXPECT_EQ(h.height, c.height) << c.bytes;
    EXPECT_EQ(h.planes, c.planes) << c.bytes;
    EXPECT_EQ(h.bitCount, c.bitCount) << c.bytes;
    EXPECT_EQ(h.compression, c.compression) << c.bytes;
    EXPECT_EQ(h.sizeImage, 0u) << c.bytes;

    // A field cut by the end is left as it was.
    Bytes out(c.bytes, 0xEE);
    StoreBitmapInfoHeader(Distinct(), out);
    Bytes want(kDistinct.begin(), kDistinct.begin() + static_cast<std::ptrdiff_t>(c.whole));
    want.resize(c.bytes, 0xEE);
    EXPECT_EQ(out, want) << c.bytes;
  }
}

TEST(BitmapInfoHeaderTest, ChangingOneFieldOfALongerFormatKeepsTheRest) {
  Bytes format = kDistinct;
  format.insert(format.end(), {1, 2, 3, 4});  // a codec's own data
  BitmapInfoHeader h = LoadBitmapInfoHeader(format);
  h.bitCount = 24;
  StoreBitmapInfoHeader(h, format);
  Bytes want = kDistinct;
  want[14] = 24;
  want.insert(want.end(), {1, 2, 3, 4});
  EXPECT_EQ(format, want);
}

}  // namespace
