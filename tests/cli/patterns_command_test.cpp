#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "avi/export.h"
#include "support/buffered_file.h"
#include "support/error_codes.h"
#include "tests/cli/cli_run.h"
#include "wipe/builtin_patterns.h"
#include "wipe/field_split.h"
#include "wipe/targa_pattern.h"
#include "wipe/transition_table.h"

namespace {

namespace fs = std::filesystem;

int RunCli(const std::string& arguments) {
  const std::string command = std::string(ORVANE_CLI) + " " + arguments + " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(PatternsCommandTest, WritesEveryPatternAsATargaThePatternReaderAccepts) {
  const fs::path dir = fs::temp_directory_path() / "orvane_patterns_command" / "new folder";
  fs::remove_all(dir.parent_path());
  ASSERT_EQ(RunCli("patterns '" + dir.string() + "' --size 64x48"), 0);
  for (const auto& p : BuiltinPatterns()) {
    BufferedFile file;
    ASSERT_TRUE(file.Open((dir / (std::string(p.name) + ".tga")).string())) << p.name;
    GreyImage read, rendered;
    ASSERT_EQ(ReadTargaPattern(file, read), kOk) << p.name;
    ASSERT_TRUE(RenderBuiltinPattern(p.name, 64, 48, rendered));
    EXPECT_EQ(read.width, 64);
    EXPECT_EQ(read.height, 48);
    EXPECT_EQ(read.pixels, rendered.pixels) << p.name;
  }
  fs::remove_all(dir.parent_path());
}

TEST(PatternsCommandTest, FailuresExitNonZero) {
  EXPECT_NE(RunCli("patterns"), 0);
  EXPECT_NE(RunCli("patterns /tmp/orvane_x --size 0x10"), 0);
  EXPECT_NE(RunCli("patterns /proc/orvane-cannot-write"), 0);
  EXPECT_NE(RunCli("no-such-command"), 0);
  EXPECT_EQ(RunCli("patterns --list"), 0);
}

GreyImage ReadPattern(const fs::path& path) {
  BufferedFile file;
  EXPECT_TRUE(file.Open(path.string())) << path;
  GreyImage image;
  EXPECT_EQ(ReadTargaPattern(file, image), kOk) << path;
  return image;
}

TEST(PatternsCommandTest, MakesEveryPatternAtTheStandardsSizeOrTheSizeGiven) {
  struct Case {
    const char* arguments;
    int32_t width, height;  // 0: refused
  };
  const Case cases[] = {
      {"", 640, 480},  // as `transition` defaults to
      {"--standard ntsc", 640, 480},
      {"--standard PAL", 768, 576},
      {"--size 96x40", 96, 40},
      {"--standard secam", 0, 0},
      {"--standard pal --size 96x40", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    clitest::CliFolder dir;
    const clitest::CliResult r =
        dir.Run("patterns " + clitest::Quote(dir / "p") + " " + c.arguments);
    if (c.width == 0) {
      EXPECT_NE(r.status, 0);
      EXPECT_FALSE(fs::exists(dir / "p"));
      continue;
    }
    ASSERT_EQ(r.status, 0) << r.err;
    for (const auto& p : BuiltinPatterns()) {
      const GreyImage image = ReadPattern(dir / "p" / (std::string(p.name) + ".tga"));
      if (image.width != c.width || image.height != c.height) {
        ADD_FAILURE() << p.name << " is " << image.width << "x" << image.height;
        break;
      }
    }
  }
}

TEST(PatternsCommandTest, DefaultDissolveKeepsItsSpreadInADefaultTransition) {
  // Made and used at one size, the dissolve reaches the card unresampled:
  // every level equally often, so each frame changes its share of pixels.
  clitest::CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + clitest::Quote(dir / "p")).status, 0);
  const GreyImage image = ReadPattern(dir / "p" / "random-dissolve.tga");
  std::vector<uint8_t> pattern;
  ASSERT_TRUE(ScaleToFieldSplit(pattern, 640, 480, image.pixels.data(), image.width, image.height));
  double sum = 0, squares = 0;
  for (uint8_t v : pattern) {
    sum += v;
    squares += static_cast<double>(v) * v;
  }
  const double n = static_cast<double>(pattern.size());
  const double deviation = std::sqrt(squares / n - (sum / n) * (sum / n));
  const auto [low, high] = std::minmax_element(pattern.begin(), pattern.end());

  // Frame 1 of the dialog's one second at NTSC (30 frames, Width 48): the
  // share of pixels whose first-field alpha has left 255.
  int32_t p1 = 0, p2 = 0;
  ExportFieldPositions(1, 30, 48, p1, p2);
  TransitionTable table;
  BuildTransitionTable(table, p1, 48);
  const double changed =
      std::count_if(pattern.begin(), pattern.end(), [&](uint8_t v) { return table[v] != 255; }) / n;
  std::printf(
      "random-dissolve at NTSC: standard deviation %.1f, %d to %d; frame 1 changes %.1f %%\n",
      deviation, *low, *high, 100 * changed);
  EXPECT_GT(deviation, 73.5);
  EXPECT_EQ(*low, 0);
  EXPECT_EQ(*high, 255);
  EXPECT_NEAR(changed, 44.0 / 256, 0.005);
}

}  // namespace
