#include <gtest/gtest.h>

#include <sys/wait.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
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

TEST(PatternsCommandTest, WritesTheFormatAndDepthAskedForAndRefusesWhatAFormatCannotHold) {
  struct Case {
    const char* arguments;
    const char* extension;  // nullptr: refused, nothing made
    int depth;
    const char* says;  // on stderr when refused
  };
  const Case cases[] = {
      {"--format png", ".png", 8, ""},
      {"--format PNG --depth 16", ".png", 16, ""},
      {"--format pgm", ".pgm", 8, ""},
      {"--format pgm --depth 16", ".pgm", 16, ""},
      {"--format tga --depth 8", ".tga", 8, ""},
      {"--format tga --depth 16", nullptr, 0, "TARGA pattern holds 8 bits"},
      {"--depth 16", nullptr, 0, "TARGA pattern holds 8 bits"},
      {"--format bmp", nullptr, 0, "--format is tga, png or pgm, not 'bmp'"},
      {"--format png --depth 12", nullptr, 0, "--depth is 8 or 16, not 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    clitest::CliFolder dir;
    const clitest::CliResult r =
        dir.Run("patterns " + clitest::Quote(dir / "p") + " --size 40x30 " + c.arguments);
    if (!c.extension) {
      EXPECT_EQ(r.status, 2);
      EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
      EXPECT_FALSE(fs::exists(dir / "p"));
      continue;
    }
    ASSERT_EQ(r.status, 0) << r.err;
    size_t files = 0;
    for (const auto& entry : fs::directory_iterator(dir / "p")) {
      ++files;
      EXPECT_EQ(entry.path().extension(), c.extension) << entry.path();
    }
    EXPECT_EQ(files, BuiltinPatterns().size());
    // The depth as each format records it: a PNG's in its header, a PGM's
    // in its largest value.
    const std::string file = clitest::ReadText(dir / "p" / (std::string("checker") + c.extension));
    if (std::string(c.extension) == ".png") {
      ASSERT_GT(file.size(), 25u);
      EXPECT_EQ(file[24], c.depth) << "bit depth";
      EXPECT_EQ(file[25], 0) << "colour type grey";
    } else if (std::string(c.extension) == ".pgm") {
      const std::string header = c.depth == 16 ? "P5\n40 30\n65535\n" : "P5\n40 30\n255\n";
      EXPECT_EQ(file.substr(0, header.size()), header);
      EXPECT_EQ(file.size(), header.size() + 40 * 30 * c.depth / 8);
    }
  }
}

TEST(PatternsCommandTest, AFailedWriteSaysSoAndWhatBecameOfTheFile) {
  clitest::CliFolder dir;
  fs::create_directories(dir / "p");
  const fs::path first = dir / "p" / (std::string(BuiltinPatterns().front().name) + ".pgm");
  { std::ofstream(first) << "earlier"; }
  // ulimit counts kilobytes; a 16-bit map at this size is 600.
  const clitest::CliResult r =
      dir.Run("patterns " + clitest::Quote(dir / "p") + " --format pgm --depth 16", "ulimit -f 64");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Can not write file '" + first.string() + "'"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("'" + first.string() + "' is as it was before"), std::string::npos) << r.err;
  EXPECT_EQ(clitest::ReadText(first), "earlier");
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
