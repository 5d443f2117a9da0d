#include "wipe/scale_grey_image.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

namespace {

std::vector<float> Resample(const std::vector<float>& in, int outCount) {
  std::vector<float> out(static_cast<size_t>(outCount), -1.0f);
  ResampleRow(out.data(), outCount, in.data(), static_cast<int32_t>(in.size()),
              static_cast<double>(in.size()) / outCount);
  return out;
}

TEST(ResampleRowTest, KnownStretchesAndShrinks) {
  EXPECT_EQ(Resample({0, 100}, 4), (std::vector<float>{0, 25, 75, 100}));
  EXPECT_EQ(Resample({0, 100, 200, 100}, 2), (std::vector<float>{56.25f, 143.75f}));
  EXPECT_EQ(Resample({0, 90, 180}, 2), (std::vector<float>{30, 150}));
  EXPECT_EQ(Resample({7, 8, 9}, 3), (std::vector<float>{7, 8, 9}));
  EXPECT_EQ(Resample({10, 20, 30, 40}, 1), (std::vector<float>{25}));
}

TEST(ResampleRowTest, PreservesTheMeanOfARow) {
  // Area averaging keeps the mean of a signal whose outer half cells are flat.
  std::vector<float> in;
  for (int i = 0; i < 97; ++i)
    in.push_back(static_cast<float>((i * 37) % 256));
  for (int outCount : {13, 50, 97, 200, 611}) {
    const std::vector<float> out = Resample(in, outCount);
    double inMean = 0, outMean = 0;
    // Model mean: interior segments average their ends; outer halves are flat.
    inMean += 0.5 * in.front() + 0.5 * in.back();
    for (size_t k = 0; k + 1 < in.size(); ++k)
      inMean += (in[k] + in[k + 1]) / 2.0;
    inMean /= static_cast<double>(in.size());
    for (float v : out) {
      EXPECT_GE(v, 0.0f);
      EXPECT_LE(v, 255.0f);
      outMean += v;
    }
    outMean /= outCount;
    EXPECT_NEAR(outMean, inMean, 0.01) << outCount;
  }
}

std::vector<uint8_t> Scale(const std::vector<uint8_t>& src, int sw, int sh, int dw, int dh) {
  std::vector<uint8_t> dst(static_cast<size_t>(dw) * dh, 0xEE);
  ScaleGreyImage(dst.data(), dw, dh, src.data(), sw, sh);
  return dst;
}

TEST(ScaleGreyImageTest, TwoByTwoToFourByFour) {
  const std::vector<uint8_t> src = {0, 0, 255, 255};
  const std::vector<uint8_t> dst = Scale(src, 2, 2, 4, 4);
  const uint8_t rows[4] = {0, 64, 191, 255};
  for (int y = 0; y < 4; ++y) {
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(dst[y * 4 + x], rows[y]) << x << "," << y;
  }
}

TEST(ScaleGreyImageTest, RowsAndColumnsAlone) {
  // Equal heights: each row is resampled alone and rounded.
  EXPECT_EQ(Scale({0, 100, 200, 100}, 4, 1, 2, 1), (std::vector<uint8_t>{56, 144}));
  EXPECT_EQ(Scale({0, 90, 180}, 3, 1, 2, 1), (std::vector<uint8_t>{30, 150}));
  // Equal widths: the vertical pass alone, exact in the other direction.
  EXPECT_EQ(Scale({0, 90, 180}, 1, 3, 1, 2), (std::vector<uint8_t>{30, 150}));
  EXPECT_EQ(Scale({0, 100}, 1, 2, 1, 4), (std::vector<uint8_t>{0, 25, 75, 100}));
}

TEST(ScaleGreyImageTest, ConstantPictureStaysConstant) {
  for (auto [sw, sh, dw, dh] : {std::array{7, 5, 640, 480}, std::array{640, 480, 7, 5},
                                std::array{3, 333, 768, 576}, std::array{1, 1, 9, 9}}) {
    const std::vector<uint8_t> src(static_cast<size_t>(sw) * sh, 173);
    const std::vector<uint8_t> dst = Scale(src, sw, sh, dw, dh);
    for (uint8_t v : dst)
      ASSERT_EQ(v, 173) << sw << "x" << sh << " to " << dw << "x" << dh;
  }
}

TEST(ScaleGreyImageTest, EqualSizesCopyAndBadArgumentsDoNoHarm) {
  std::vector<uint8_t> src(12);
  for (size_t i = 0; i < src.size(); ++i)
    src[i] = static_cast<uint8_t>(i * 21);
  EXPECT_EQ(Scale(src, 4, 3, 4, 3), src);
  // A missing destination or a zero destination size writes nothing.
  std::vector<uint8_t> dst(4, 9);
  ScaleGreyImage(nullptr, 2, 2, src.data(), 4, 3);
  ScaleGreyImage(dst.data(), 0, 2, src.data(), 4, 3);
  ScaleGreyImage(dst.data(), 2, 0, src.data(), 4, 3);
  ScaleGreyImage(dst.data(), 2, 2, nullptr, 4, 3);
  EXPECT_EQ(dst, (std::vector<uint8_t>(4, 9)));
}

TEST(ScaleGreyImageTest, GradientIsMonotonicAfterShrinkAndStretch) {
  const int sw = 256, sh = 4;
  std::vector<uint8_t> src(sw * sh);
  for (int y = 0; y < sh; ++y) {
    for (int x = 0; x < sw; ++x)
      src[y * sw + x] = static_cast<uint8_t>(x);
  }
  for (int dw : {17, 100, 255, 257, 1000}) {
    const std::vector<uint8_t> dst = Scale(src, sw, sh, dw, 3);
    for (int y = 0; y < 3; ++y) {
      for (int x = 1; x < dw; ++x)
        ASSERT_LE(dst[y * dw + x - 1], dst[y * dw + x]) << dw;
    }
  }
}

}  // namespace
