#include "render/matte_render.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "support/error_codes.h"
#include "tests/avi/export_test_support.h"

namespace {

namespace fs = std::filesystem;
using avitest::ScratchDir;
using exporttest::RecordingProgress;

GreyImage Ramp(int32_t width, int32_t height) {
  GreyImage image{width, height, std::vector<uint8_t>(static_cast<size_t>(width) * height)};
  for (size_t k = 0; k < image.pixels.size(); ++k)
    image.pixels[k] = static_cast<uint8_t>(k * 255 / (image.pixels.size() - 1));
  return image;
}

MatteSettings Small(int32_t frames) {
  MatteSettings settings;
  settings.frameCount = frames;
  settings.width = 32;
  settings.height = 24;
  return settings;
}

std::string ReadText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> SortedNames(const ScratchDir& dir) {
  std::vector<std::string> names = dir.Names();
  std::sort(names.begin(), names.end());
  return names;
}

TEST(MatteRenderTest, ProgressCountsEveryFrameOfBothWays) {
  ScratchDir dir;
  MatteSettings settings = Small(5);
  settings.inOut = true;
  RecordingProgress progress;
  RenderStatus status;
  ASSERT_EQ(RenderMatte(Ramp(8, 8), settings, dir.File("m.mkv"), &progress, status), kOk)
      << status.libraryMessage;
  EXPECT_EQ(progress.opens, 1);
  EXPECT_EQ(progress.closes, 1);
  EXPECT_EQ(progress.caption, "Render Matte");
  EXPECT_EQ(progress.total, 10);
  EXPECT_TRUE(progress.cancelAllowed);
  EXPECT_EQ(progress.updates, (std::vector<int32_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
  EXPECT_EQ(dir.Names(), std::vector<std::string>{"m.mkv"});
}

TEST(MatteRenderTest, ACancelLeavesWhatWasThereBefore) {
  struct Case {
    const char* name;
    const char* output;
    std::vector<std::string> before;  // files there before, kept as they were
  };
  const Case cases[] = {
      {"a video file", "m.mkv", {"m.mkv"}},
      {"a video file that was not there", "new.avi", {}},
      // Pictures already in place are taken back.
      {"a picture sequence", "seq-%02d.png", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    for (const std::string& name : c.before)
      std::ofstream(dir.File(name)) << "earlier " << name;
    RecordingProgress progress;
    progress.cancelAt = 3;
    RenderStatus status;
    EXPECT_EQ(RenderMatte(Ramp(8, 8), Small(6), dir.File(c.output), &progress, status),
              kErrCancelled);
    EXPECT_EQ(progress.closes, 1);
    EXPECT_EQ(SortedNames(dir), c.before);
    for (const std::string& name : c.before)
      EXPECT_EQ(ReadText(dir.File(name)), "earlier " + name);
  }
}

TEST(MatteRenderTest, SettingsWithNothingToRenderAreRefusedBeforeAnyFile) {
  GreyImage empty;
  const struct {
    const char* name;
    GreyImage pattern;
    MatteSettings settings;
    const char* output;
    int32_t code;
  } cases[] = {
      {"no frames", Ramp(4, 4), Small(0), "m.mkv", kErrVideoParameters},
      {"no pattern", empty, Small(3), "m.mkv", kErrVideoParameters},
      {"an mp4 matte", Ramp(4, 4), Small(3), "m.mp4", kErrBadFile},
      {"an unknown name", Ramp(4, 4), Small(3), "m.gif", kErrBadFile},
  };
  for (const auto& c : cases) {
    ScratchDir dir;
    RenderStatus status;
    EXPECT_EQ(RenderMatte(c.pattern, c.settings, dir.File(c.output), nullptr, status), c.code)
        << c.name;
    EXPECT_TRUE(dir.Names().empty()) << c.name;
  }
}

TEST(MatteRenderTest, MixWeighsThePicturesByTheMatteRoundingToNearest) {
  const struct {
    uint8_t a, b, alpha, out;
  } cases[] = {
      {200, 10, 255, 200}, {200, 10, 0, 10},   {255, 0, 128, 128},
      {1, 0, 128, 1},      {1, 0, 127, 0},     {0, 255, 1, 254},
      {100, 100, 77, 100}, {255, 255, 200, 255},
  };
  for (const auto& c : cases) {
    const uint8_t a[3] = {c.a, c.a, c.a};
    const uint8_t b[3] = {c.b, c.b, c.b};
    uint8_t out[3] = {};
    MixRow(out, a, b, &c.alpha, 1);
    for (uint8_t v : out)
      EXPECT_EQ(v, c.out) << int(c.a) << " " << int(c.b) << " " << int(c.alpha);
  }
}

TEST(MatteRenderTest, RgbScalingKeepsEachChannelApart) {
  RgbImage source{2, 1, {255, 0, 10, 255, 0, 10}};
  const RgbImage scaled = ScaleRgbImage(source, 5, 3);
  ASSERT_EQ(scaled.pixels.size(), 5u * 3 * 3);
  for (size_t k = 0; k < scaled.pixels.size(); k += 3) {
    EXPECT_EQ(scaled.pixels[k], 255);
    EXPECT_EQ(scaled.pixels[k + 1], 0);
    EXPECT_EQ(scaled.pixels[k + 2], 10);
  }
}

}  // namespace
