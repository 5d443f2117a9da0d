#include "cli/luma_map_file.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QImage>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/buffered_file.h"
#include "support/error_codes.h"
#include "tests/avi/child_process.h"
#include "tests/cli/cli_run.h"
#include "wipe/builtin_patterns.h"
#include "wipe/targa_pattern.h"

// Luma maps as another editor sees them: read back by Qt's image readers.

namespace {

namespace fs = std::filesystem;
using clitest::CliFolder;

std::vector<uint16_t> QtSamples(const QImage& image) {
  std::vector<uint16_t> samples;
  for (int y = 0; y < image.height(); ++y) {
    const uchar* line = image.constScanLine(y);
    for (int x = 0; x < image.width(); ++x) {
      samples.push_back(image.depth() == 16 ? reinterpret_cast<const uint16_t*>(line)[x] : line[x]);
    }
  }
  return samples;
}

// The samples of a 16-bit binary PGM, read here because Qt's reader brings
// such a file down to 8 bits.
std::vector<uint16_t> Pgm16Samples(const fs::path& path, int& width, int& height) {
  const std::string file = clitest::ReadText(path);
  int max = 0, used = 0;
  std::vector<uint16_t> samples;
  if (std::sscanf(file.c_str(), "P5 %d %d %d%n", &width, &height, &max, &used) != 3 ||
      max != 65535) {
    return samples;
  }
  const std::string bytes = file.substr(static_cast<size_t>(used) + 1);
  if (bytes.size() != 2 * static_cast<size_t>(width) * height)
    return samples;
  for (size_t i = 0; i < bytes.size(); i += 2) {
    samples.push_back(static_cast<uint16_t>(static_cast<uint8_t>(bytes[i]) << 8 |
                                            static_cast<uint8_t>(bytes[i + 1])));
  }
  return samples;
}

TEST(LumaMapFileTest, QtReadsBackEveryFormatAndDepth) {
  struct Case {
    const char* pattern;
    int32_t width, height;
  };
  // A ramp, the dithered and equalised spiral, the dissolve of shares, at
  // an even and an odd width (a PNG row of 8-bit samples is not padded).
  const Case cases[] = {
      {"horizontal-left-to-right", 96, 64},
      {"spiral", 97, 41},
      {"random-dissolve", 97, 41},
      {"radial-in", 64, 96},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    CliFolder dir;
    GreyImage eight;
    GreyImage16 sixteen;
    ASSERT_TRUE(RenderBuiltinPattern(c.pattern, c.width, c.height, eight));
    ASSERT_TRUE(RenderBuiltinPattern(c.pattern, c.width, c.height, sixteen));

    // The 8-bit maps hold the bytes the TARGA pattern holds.
    const std::string targa = (dir / "map.tga").string();
    ASSERT_EQ(WriteLumaMap(targa, LumaMapFormat::kTarga, eight), kOk);
    BufferedFile file;
    ASSERT_TRUE(file.Open(targa));
    GreyImage pattern;
    ASSERT_EQ(ReadTargaPattern(file, pattern), kOk);
    const std::vector<uint16_t> targaLevels(pattern.pixels.begin(), pattern.pixels.end());
    for (LumaMapFormat format : {LumaMapFormat::kPng, LumaMapFormat::kPgm}) {
      const fs::path path = dir / (std::string("map8") + LumaMapExtension(format));
      ASSERT_EQ(WriteLumaMap(path.string(), format, eight), kOk);
      const QImage image(QString::fromStdString(path.string()));
      ASSERT_EQ(image.format(), QImage::Format_Grayscale8) << path;
      EXPECT_EQ(image.width(), c.width);
      EXPECT_EQ(image.height(), c.height);
      EXPECT_EQ(QtSamples(image), targaLevels) << path;
    }

    const fs::path png = dir / "map16.png";
    ASSERT_EQ(WriteLumaMap(png.string(), LumaMapFormat::kPng, sixteen), kOk);
    const QImage deep(QString::fromStdString(png.string()));
    ASSERT_EQ(deep.format(), QImage::Format_Grayscale16);
    EXPECT_EQ(deep.size(), QSize(c.width, c.height));
    EXPECT_EQ(QtSamples(deep), sixteen.pixels);

    const fs::path pgm = dir / "map16.pgm";
    ASSERT_EQ(WriteLumaMap(pgm.string(), LumaMapFormat::kPgm, sixteen), kOk);
    int width = 0, height = 0;
    EXPECT_EQ(Pgm16Samples(pgm, width, height), sixteen.pixels);
    EXPECT_EQ(width, c.width);
    EXPECT_EQ(height, c.height);
    // Qt takes it for the same picture: a swapped byte order would not be.
    const QImage reduced(QString::fromStdString(pgm.string()));
    ASSERT_FALSE(reduced.isNull());
    ASSERT_EQ(reduced.size(), QSize(c.width, c.height));
    const std::vector<uint16_t> read = QtSamples(reduced);
    const double step = reduced.depth() == 16 ? 1 : 257;
    for (size_t i = 0; i < read.size(); ++i) {
      ASSERT_LE(std::fabs(read[i] - sixteen.pixels[i] / step), step == 1 ? 0 : 1) << i;
    }
  }
}

TEST(LumaMapFileTest, SixteenBitSoftEdgeHasMoreLevelsThanEightBit) {
  // An editor's soft luma wipe ramps its mix over a band of luma; across a
  // band of a fiftieth of the range an 8-bit map has five or six levels,
  // each a visible step.
  for (const char* pattern : {"horizontal-left-to-right", "radial-out", "clock-clockwise"}) {
    CliFolder dir;
    GreyImage eight;
    GreyImage16 sixteen;
    ASSERT_TRUE(RenderBuiltinPattern(pattern, 640, 480, eight));
    ASSERT_TRUE(RenderBuiltinPattern(pattern, 640, 480, sixteen));
    size_t levels[2] = {0, 0};
    int k = 0;
    for (const fs::path& path : {dir / "8.png", dir / "16.png"}) {
      ASSERT_EQ(k == 0 ? WriteLumaMap(path.string(), LumaMapFormat::kPng, eight)
                       : WriteLumaMap(path.string(), LumaMapFormat::kPng, sixteen),
                kOk);
      const QImage image(QString::fromStdString(path.string()));
      const double top = image.depth() == 16 ? 65535 : 255;
      std::set<uint16_t> inBand;
      for (uint16_t v : QtSamples(image)) {
        if (v / top >= 0.5 && v / top < 0.52)
          inBand.insert(v);
      }
      levels[k++] = inBand.size();
    }
    std::printf("%s: a soft edge of 1/50 crosses %zu levels at 8 bits, %zu at 16\n", pattern,
                levels[0], levels[1]);
    EXPECT_LE(levels[0], 6u) << pattern;
    EXPECT_GT(levels[1], 2 * levels[0]) << pattern;
  }
}

TEST(LumaMapFileTest, AFailedWriteLeavesTheEarlierFileAndNothingElse) {
  GreyImage eight;
  GreyImage16 sixteen;
  // Noise does not compress: every file is well past the size limit below.
  ASSERT_TRUE(RenderBuiltinPattern("random-dissolve", 128, 96, eight));
  ASSERT_TRUE(RenderBuiltinPattern("random-dissolve", 128, 96, sixteen));
  struct Case {
    LumaMapFormat format;
    int depth;
    avitest::ChildUser user;
    bool earlier;  // a file is there before
    int32_t code;
  };
  using avitest::ChildUser;
  const Case cases[] = {
      // A full disk, as a file-size limit shows it.
      {LumaMapFormat::kTarga, 8, ChildUser::kSame, true, kErrCannotWrite},
      {LumaMapFormat::kPng, 8, ChildUser::kSame, true, kErrCannotWrite},
      {LumaMapFormat::kPng, 16, ChildUser::kSame, false, kErrCannotWrite},
      {LumaMapFormat::kPgm, 16, ChildUser::kSame, true, kErrCannotWrite},
      // A folder (and a file) another user owns.
      {LumaMapFormat::kPng, 16, ChildUser::kPlain, true, kErrNoFile},
      {LumaMapFormat::kPgm, 8, ChildUser::kPlain, false, kErrNoFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(LumaMapExtension(c.format)) + " " + std::to_string(c.depth));
    CliFolder dir;
    const fs::path path = dir / (std::string("map") + LumaMapExtension(c.format));
    const std::string before = "the earlier map";
    if (c.earlier) {
      std::FILE* f = std::fopen(path.c_str(), "wb");
      ASSERT_TRUE(f);
      std::fputs(before.c_str(), f);
      std::fclose(f);
    }
    // Neither may be written by the user the child runs as.
    if (c.user == ChildUser::kPlain) {
      if (c.earlier)
        fs::permissions(path,
                        fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
      fs::permissions(dir.Path(),
                      fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                      fs::perm_options::remove);
    }
    const avitest::ChildResult result = avitest::RunInChild(c.user, [&](std::ostream& out) {
      if (c.user == ChildUser::kSame) {
        // Past the limit a write fails with EFBIG instead of ending the child.
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      out << (c.depth == 16 ? WriteLumaMap(path.string(), c.format, sixteen)
                            : WriteLumaMap(path.string(), c.format, eight));
    });
    fs::permissions(dir.Path(), fs::perms::owner_all, fs::perm_options::add);
    if (result.skipped)
      GTEST_SKIP() << "cannot become another user";
    EXPECT_EQ(result.text, std::to_string(c.code));
    std::vector<std::string> left;
    for (const auto& entry : fs::directory_iterator(dir.Path()))
      left.push_back(entry.path().filename().string());
    EXPECT_EQ(left, c.earlier ? std::vector<std::string>{path.filename().string()}
                              : std::vector<std::string>{});
    if (c.earlier) {
      EXPECT_EQ(clitest::ReadText(path), before);
    }
  }
}

}  // namespace
