#include "render/matte_positions.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MattePositionsTest, FollowTheHandWorkedTables) {
  struct Case {
    const char* name;
    int32_t edgeWidth, frames;
    bool reverse, inOut;
    std::vector<int32_t> positions;
  };
  const Case cases[] = {
      // -24 .. 279, 303 / 3 = 101 a step.
      {"default width", 48, 4, false, false, {-24, 77, 178, 279}},
      {"one frame holds the start", 48, 1, false, false, {-24}},
      {"two frames are the ends", 48, 2, false, false, {-24, 279}},
      // -3 .. 258: 261 / 2 = 130.5 rounds away from zero.
      {"odd width, reversed", 7, 3, true, false, {258, 128, -3}},
      // 0 .. 255: 127.5 rounds up; the way back repeats the turn.
      {"hard edge, in and out", 0, 3, false, true, {0, 128, 255, 255, 128, 0}},
      {"reversed, in and out", 1, 2, true, true, {255, 0, 0, 255}},
      {"no frames", 48, 0, false, true, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MattePositions(FirstWipePosition(c.edgeWidth), LastWipePosition(c.edgeWidth),
                             c.frames, c.reverse, c.inOut),
              c.positions)
        << c.name;
  }
}

TEST(MattePositionsTest, StepEvenlyWithoutRepeatsAcrossLongPasses) {
  for (int32_t w : {0, 48, 255}) {
    for (int32_t n : {2, 7, 250, 1000}) {
      const std::vector<int32_t> p =
          MattePositions(FirstWipePosition(w), LastWipePosition(w), n, false, false);
      ASSERT_EQ(p.size(), static_cast<size_t>(n));
      EXPECT_EQ(p.front(), -(w / 2));
      EXPECT_EQ(p.back(), 255 + w / 2);
      const int32_t span = 255 + 2 * (w / 2);
      for (size_t i = 1; i < p.size(); ++i) {
        const int32_t step = p[i] - p[i - 1];
        // Whole steps of span / (n - 1), one more or less where rounding falls.
        EXPECT_GE(step, span / (n - 1)) << w << " " << n << " " << i;
        EXPECT_LE(step, span / (n - 1) + 1) << w << " " << n << " " << i;
      }
    }
  }
}

}  // namespace
