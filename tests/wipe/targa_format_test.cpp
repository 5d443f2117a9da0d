#include "wipe/targa_format.h"

#include <gtest/gtest.h>

#include <array>

namespace {

TEST(TargaHeaderTest, EveryFieldSitsAtItsOffset) {
  // Every field, in order, with bytes of its own (1 to 18 on disk), so one
  // stored or read at the wrong place shows.
  const TargaHeader h{0x01,   0x02,   0x03,   0x0504, 0x0706, 0x08,
                      0x0A09, 0x0C0B, 0x0E0D, 0x100F, 0x11,   0x12};
  const std::array<uint8_t, kTargaHeaderSize> want = {1,  2,  3,  4,  5,  6,  7,  8,  9,
                                                      10, 11, 12, 13, 14, 15, 16, 17, 18};
  std::array<uint8_t, kTargaHeaderSize> out;
  out.fill(0xEE);
  StoreTargaHeader(h, out);
  EXPECT_EQ(out, want);

  EXPECT_EQ(LoadTargaHeader(want), h);
}

}  // namespace
