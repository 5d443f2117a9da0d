#include "wipe/field_split.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(FieldSplitTest, EvenRowsThenOddRows) {
  const int w = 3, h = 5;
  std::vector<uint8_t> frame(w * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      frame[y * w + x] = static_cast<uint8_t>(10 * y + x);
  }
  std::vector<uint8_t> split(frame.size());
  SplitFields(split.data(), frame.data(), w, h);
  const int order[] = {0, 2, 4, 1, 3};
  for (int r = 0; r < h; ++r) {
    for (int x = 0; x < w; ++x)
      EXPECT_EQ(split[r * w + x], 10 * order[r] + x) << r;
  }
}

TEST(FieldSplitTest, FrameSizedPictureIsCopiedThenSplit) {
  const int w = 640, h = 480;
  std::vector<uint8_t> picture(w * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      picture[y * w + x] = static_cast<uint8_t>(y ^ x);
  }
  std::vector<uint8_t> pattern = {1, 2, 3};
  ASSERT_TRUE(ScaleToFieldSplit(pattern, w, h, picture.data(), w, h));
  ASSERT_EQ(pattern.size(), static_cast<size_t>(w * h));
  // Byte 153600 begins the bottom field: the first pixel of picture row 1.
  EXPECT_EQ(pattern[153600], picture[w]);
  EXPECT_EQ(pattern[153601], picture[w + 1]);
  EXPECT_EQ(pattern[w], picture[2 * w]);
  EXPECT_EQ(pattern[153600 + w], picture[3 * w]);
}

TEST(FieldSplitTest, ScalesToTheFrameSize) {
  const std::vector<uint8_t> picture = {0, 0, 255, 255};
  std::vector<uint8_t> pattern;
  ASSERT_TRUE(ScaleToFieldSplit(pattern, 4, 4, picture.data(), 2, 2));
  // Scaled rows 0, 64, 191, 255, stored as rows 0, 2, 1, 3.
  const uint8_t rows[4] = {0, 191, 64, 255};
  for (int r = 0; r < 4; ++r)
    EXPECT_EQ(pattern[r * 4], rows[r]) << r;
  EXPECT_FALSE(ScaleToFieldSplit(pattern, 0, 4, picture.data(), 2, 2));
  EXPECT_TRUE(pattern.empty());
}

}  // namespace
