#include "wipe/builtin_patterns.h"

#include <gtest/gtest.h>

#include <array>
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

}  // namespace
