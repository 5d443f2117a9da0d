#include "wipe/builtin_patterns.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <set>
#include <string>

namespace {

TEST(BuiltinPatternsTest, AtLeastTwentyFourWithDistinctNames) {
  const auto& patterns = BuiltinPatterns();
  EXPECT_GE(patterns.size(), 24u);
  std::set<std::string> names;
  for (const auto& p : patterns) {
    EXPECT_TRUE(names.insert(p.name).second) << p.name;
    for (char c : std::string(p.name)) {
      EXPECT_TRUE((c >= 'a' && c <= 'z') || c == '-') << "not file-name friendly: " << p.name;
    }
  }
}

TEST(BuiltinPatternsTest, EveryGreyLevelOccursAtFrameSizes) {
  // A level missing from a ramp is a visible band when a soft edge crosses it.
  for (auto [w, h] : {std::pair{768, 576}, std::pair{640, 480}}) {
    for (const auto& p : BuiltinPatterns()) {
      GreyImage image;
      ASSERT_TRUE(RenderBuiltinPattern(p.name, w, h, image)) << p.name;
      ASSERT_EQ(image.pixels.size(), static_cast<size_t>(w * h));
      std::array<int, 256> histogram{};
      for (uint8_t v : image.pixels)
        ++histogram[v];
      for (int level = 0; level < 256; ++level) {
        ASSERT_GT(histogram[level], 0) << p.name << " " << w << "x" << h << " lacks " << level;
      }
    }
  }
}

TEST(BuiltinPatternsTest, ShapesRunTheRightWay) {
  GreyImage image;
  const auto at = [&](int x, int y) { return image.pixels[y * image.width + x]; };
  ASSERT_TRUE(RenderBuiltinPattern("horizontal-left-to-right", 64, 48, image));
  EXPECT_LT(at(0, 24), at(63, 24));
  ASSERT_TRUE(RenderBuiltinPattern("vertical-top-to-bottom", 64, 48, image));
  EXPECT_LT(at(32, 0), at(32, 47));
  ASSERT_TRUE(RenderBuiltinPattern("radial-out", 64, 48, image));
  EXPECT_LT(at(32, 24), at(0, 0));
  ASSERT_TRUE(RenderBuiltinPattern("iris-box-in", 64, 48, image));
  EXPECT_GT(at(32, 24), at(0, 24));
  ASSERT_TRUE(RenderBuiltinPattern("clock-clockwise", 64, 48, image));
  EXPECT_LT(at(40, 5), at(5, 24)) << "a quarter turn comes before three quarters";
}

TEST(BuiltinPatternsTest, RefusesUnknownNamesAndBadSizes) {
  GreyImage image;
  EXPECT_FALSE(RenderBuiltinPattern("no-such-shape", 64, 48, image));
  EXPECT_FALSE(RenderBuiltinPattern("radial-out", 0, 48, image));
  EXPECT_FALSE(RenderBuiltinPattern("radial-out", 64, 70000, image));
}

TEST(BuiltinPatternsTest, DissolveIsTheSameOnEveryRun) {
  GreyImage a, b;
  ASSERT_TRUE(RenderBuiltinPattern("random-dissolve", 100, 50, a));
  ASSERT_TRUE(RenderBuiltinPattern("random-dissolve", 100, 50, b));
  EXPECT_EQ(a.pixels, b.pixels);
}

// The longest stretch of neighbouring pixels at one level along a circle
// round (cx, cy), or with radius 0 along rays from it every three degrees.
size_t LongestRun(const GreyImage& image, double cx, double cy, double radius) {
  const double reach =
      radius > 0 ? 2 * std::numbers::pi * radius : std::hypot(image.width, image.height);
  size_t longest = 0;
  for (int degrees = 0; degrees < (radius > 0 ? 1 : 360); degrees += 3) {
    const double a = degrees * std::numbers::pi / 180;
    size_t run = 0, last = SIZE_MAX;
    for (int i = 0; i <= reach * 4; ++i) {
      const double s = i / (reach * 4);
      const double x = radius > 0 ? cx + radius * std::cos(2 * std::numbers::pi * s)
                                  : cx + s * reach * std::cos(a);
      const double y = radius > 0 ? cy + radius * std::sin(2 * std::numbers::pi * s)
                                  : cy + s * reach * std::sin(a);
      if (x < 0 || y < 0 || x >= image.width || y >= image.height) {
        run = 0;
        continue;
      }
      const size_t pixel = static_cast<size_t>(y) * image.width + static_cast<size_t>(x);
      if (pixel == last)
        continue;
      run = run > 0 && image.pixels[pixel] == image.pixels[last] ? run + 1 : 1;
      last = pixel;
      longest = std::max(longest, run);
    }
  }
  return longest;
}

TEST(BuiltinPatternsTest, AngularShapesShowNoRays) {
  // One level along a long line is a visible ray when a soft edge crosses
  // it: the angular shapes' levels are wedges round their centre, the
  // spiral's also arcs near the outside. Undithered the runs are hundreds
  // of pixels (along the spiral's circles 34 to 51).
  struct Case {
    const char* name;
    int32_t width, height;
    double cx, cy, radius;  // in pixels; radius 0: rays
    size_t most;
  };
  const Case cases[] = {
      {"spiral", 640, 480, 320, 240, 0, 64},
      {"spiral", 640, 480, 320, 240, 230, 24},
      {"spiral", 640, 480, 320, 240, 300, 24},
      {"spiral", 768, 576, 384, 288, 360, 24},
      {"clock-clockwise", 640, 480, 320, 240, 0, 64},
      {"clock-counterclockwise", 768, 576, 384, 288, 0, 64},
      {"fan-from-bottom", 640, 480, 320, 480, 0, 64},
  };
  for (const Case& c : cases) {
    GreyImage image;
    ASSERT_TRUE(RenderBuiltinPattern(c.name, c.width, c.height, image));
    const size_t run = LongestRun(image, c.cx, c.cy, c.radius);
    std::printf("%s %dx%d, ", c.name, c.width, c.height);
    std::printf(c.radius > 0 ? "circle of %g px" : "rays", c.radius);
    std::printf(": widest run of one level %zu px\n", run);
    EXPECT_LE(run, c.most) << c.name << " " << c.width << "x" << c.height << " r " << c.radius;
  }
}

TEST(BuiltinPatternsTest, DitherKeepsAFlatValueInEachField) {
  // The card shows the two fields at different wipe positions, so each
  // must average to the shape on its own; no pixel strays past a level and
  // a half. Level k covers k - 0.5 to k + 0.5 of the scale's units.
  for (double level : {25.5, 100.25, 127.0, 200.75, 250.9}) {
    for (ShapeScale scale : {ShapeScale::kRange, ShapeScale::kShares}) {
      PatternShape shape;
      shape.width = shape.height = 256;
      shape.scale = scale;
      shape.values.assign(256 * 256,
                          scale == ShapeScale::kRange ? level / 255 : (level + 0.5) / 256);
      shape.dithered = true;
      GreyImage image;
      ASSERT_TRUE(QuantiseShape(shape, image));
      double sum[2] = {0, 0};
      for (size_t i = 0; i < image.pixels.size(); ++i) {
        sum[(i / 256) % 2] += image.pixels[i];
        ASSERT_LT(std::fabs(image.pixels[i] - level), 1.5) << level;
      }
      EXPECT_NEAR(sum[0] / (256 * 128), level, 0.01) << level;
      EXPECT_NEAR(sum[1] / (256 * 128), level, 0.01) << level;
    }
  }
}

TEST(BuiltinPatternsTest, StraightEdgesHaveNoJogAtWidthZero) {
  // At Width 0 position p puts the edge between values up to p and above;
  // it jogs where one column (or row) of a straight ramp holds both. Before
  // the horizontal ramps jogged at 36 (NTSC) and 44 (PAL) of 256 positions.
  // Barn doors of fewer lines than levels keep a tilt: at NTSC the
  // horizontal ones (240 lines a door) would otherwise lack 16 levels.
  struct Case {
    const char* name;
    int32_t width, height;
    bool columns;  // the edge runs down the picture
  };
  const Case cases[] = {
      {"horizontal-left-to-right", 640, 480, true},
      {"horizontal-left-to-right", 768, 576, true},
      {"horizontal-right-to-left", 640, 480, true},
      {"vertical-top-to-bottom", 640, 480, false},
      {"vertical-bottom-to-top", 768, 576, false},
      {"barn-doors-vertical-open", 640, 480, true},
      {"barn-doors-vertical-close", 768, 576, true},
      {"barn-doors-horizontal-open", 768, 576, false},
      {"barn-doors-horizontal-close", 768, 576, false},
  };
  for (const Case& c : cases) {
    GreyImage image;
    ASSERT_TRUE(RenderBuiltinPattern(c.name, c.width, c.height, image));
    std::array<bool, 256> jog{};
    for (int32_t line = 0; line < (c.columns ? c.width : c.height); ++line) {
      uint8_t low = 255, high = 0;
      for (int32_t k = 0; k < (c.columns ? c.height : c.width); ++k) {
        const uint8_t v = image.pixels[c.columns ? static_cast<size_t>(k) * c.width + line
                                                 : static_cast<size_t>(line) * c.width + k];
        low = std::min(low, v);
        high = std::max(high, v);
      }
      for (int p = low; p < high; ++p)
        jog[p] = true;
    }
    const auto jogs = std::count(jog.begin(), jog.end(), true);
    std::printf("%s %dx%d: a jog at %td of 256 positions\n", c.name, c.width, c.height, jogs);
    EXPECT_EQ(jogs, 0) << c.name << " " << c.width << "x" << c.height;
  }
}

TEST(BuiltinPatternsTest, SixteenBitLevelsAreCutFromTheShape) {
  // Not the 8-bit levels scaled up: those stray up to half an 8-bit level,
  // 128 of these, from the shape. Undithered a range rounds to the nearest
  // level and shares cut downwards; dithered no level strays past one and
  // a half from the shape.
  for (const auto& p : BuiltinPatterns()) {
    PatternShape shape;
    ASSERT_TRUE(RenderBuiltinShape(p.name, 160, 120, shape)) << p.name;
    GreyImage16 image;
    ASSERT_TRUE(QuantiseShape(shape, image)) << p.name;
    ASSERT_EQ(image.pixels.size(), shape.values.size());
    for (size_t i = 0; i < shape.values.size(); ++i) {
      const double t = shape.values[i];
      const double exact = shape.scale == ShapeScale::kRange ? t * 65535 : t * 65536 - 0.5;
      const double cut =
          shape.scale == ShapeScale::kRange ? std::floor(exact + 0.5) : std::floor(t * 65536);
      if (shape.dithered)
        ASSERT_LE(std::fabs(image.pixels[i] - exact), 1.5) << p.name << " pixel " << i;
      else
        ASSERT_EQ(image.pixels[i], std::min(cut, 65535.0)) << p.name << " pixel " << i;
    }
  }
}

TEST(BuiltinPatternsTest, DitheredPatternsAreTheSameBytesInEveryBuild) {
  // A dithered level follows every bit of its shape, so a rounding that
  // differs between builds or machines (a fused multiply-add, a library's
  // own atan2) shows here. Pinned by FNV-1a of the pixels, the 16-bit ones
  // high byte first.
  struct Case {
    const char* name;
    int32_t width, height;
    uint64_t hash, hash16;
  };
  const Case cases[] = {
      {"spiral", 640, 480, 0x68186d5d9ef047de, 0x617f56b14c293033},
      {"spiral", 768, 576, 0xd00bd08859dfe54c, 0x5d7904e3474b9c91},
      {"clock-clockwise", 640, 480, 0x5a18ef7e6854e3ad, 0xbdf2f2f1828e6bf3},
      {"clock-counterclockwise", 768, 576, 0x16fa79e4464a9c79, 0x2d24a20aadfe9605},
      {"fan-from-bottom", 300, 200, 0xdf42882fff56fb03, 0x00b448e9e9445db1},
  };
  const auto add = [](uint64_t hash, uint8_t byte) { return (hash ^ byte) * 1099511628211u; };
  for (const Case& c : cases) {
    GreyImage image;
    ASSERT_TRUE(RenderBuiltinPattern(c.name, c.width, c.height, image));
    uint64_t hash = 14695981039346656037u;
    for (uint8_t v : image.pixels)
      hash = add(hash, v);
    EXPECT_EQ(hash, c.hash) << c.name << " " << c.width << "x" << c.height << std::hex << " 0x"
                            << hash;
    GreyImage16 deep;
    ASSERT_TRUE(RenderBuiltinPattern(c.name, c.width, c.height, deep));
    hash = 14695981039346656037u;
    for (uint16_t v : deep.pixels)
      hash = add(add(hash, static_cast<uint8_t>(v >> 8)), static_cast<uint8_t>(v));
    EXPECT_EQ(hash, c.hash16) << c.name << " " << c.width << "x" << c.height << " at 16 bits"
                              << std::hex << " 0x" << hash;
  }
}

}  // namespace
