#include "wipe/targa_format.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(TargaHeaderTest, EveryFieldSitsAtItsOffset) {
  // Every field with bytes of its own, so one at the wrong place shows.
  TargaHeader h;
  h.idLength = 0x01;
  h.colourMapType = 0x02;
  h.imageType = 0x03;
  h.colourMapFirst = 0x0504;
  h.colourMapLength = 0x0706;
  h.colourMapEntryBits = 0x08;
  h.xOrigin = 0x0A09;
  h.yOrigin = 0x0C0B;
  h.width = 0x0E0D;
  h.height = 0x100F;
  h.pixelDepth = 0x11;
  h.descriptor = 0x12;
  const std::array<uint8_t, kTargaHeaderSize> want = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                      10, 11, 12, 13, 14, 15, 16, 17, 18};
  std::array<uint8_t, kTargaHeaderSize> out;
  out.fill(0xEE);
  StoreTargaHeader(h, out);
  EXPECT_EQ(out, want);

  EXPECT_EQ(LoadTargaHeader(want), h);
}

}  // namespace
