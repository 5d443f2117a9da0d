#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "avi/avi_video_data.h"
#include "avi/device_frame.h"
#include "avi/export.h"
#include "support/buffered_file.h"
#include "support/time_code.h"
#include "tests/avi/export_test_support.h"
#include "tests/cli/cli_run.h"
#include "wipe/field_split.h"
#include "wipe/targa_pattern.h"
#include "wipe/targa_writer.h"
#include "wipe/transition_table.h"
#include "wipe/wipe_turns.h"

namespace {

using namespace clitest;
using exporttest::Block;
using exporttest::ReadBlocks;

// The pattern as the card's device holds it.
std::vector<uint8_t> FieldSplitPattern(const fs::path& targa, int32_t width, int32_t height) {
  BufferedFile file;
  EXPECT_TRUE(file.Open(targa.string()));
  GreyImage image;
  EXPECT_EQ(ReadTargaPattern(file, image), 0);
  std::vector<uint8_t> pattern;
  EXPECT_TRUE(
      ScaleToFieldSplit(pattern, width, height, image.pixels.data(), image.width, image.height));
  return pattern;
}

TEST(TransitionCommandTest, DecodedAlphaIsTheTableAppliedToTheFieldSplitPattern) {
  struct Case {
    const char* standard;
    const char* duration;
    int32_t width, height, frames, edgeWidth;
    const char* pattern;
  };
  const Case cases[] = {
      {"ntsc", "500", 640, 480, 15, 64, "diamond-out"},
      {"pal", "00:00:00:10", 768, 576, 10, 0, "spiral"},
      {"pal", "40", 768, 576, 1, 255, "random-dissolve"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.pattern);
    CliFolder dir;
    ASSERT_EQ(dir.Run("patterns " + Quote(dir / "patterns") + " --size 300x200").status, 0);
    const fs::path pattern = dir / "patterns" / (std::string(c.pattern) + ".tga");
    const CliResult made = dir.Run("transition --pattern " + Quote(pattern) + " --standard " +
                                   c.standard + " --duration " + c.duration + " --width " +
                                   std::to_string(c.edgeWidth) + " -o " + Quote(dir / "out.avi"));
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find(std::to_string(c.frames) + " frames"), std::string::npos) << made.out;
    const CliResult inspected =
        dir.Run("inspect " + Quote(dir / "out.avi") + " --alpha-dir " + Quote(dir / "alpha"));
    ASSERT_EQ(inspected.status, 0) << inspected.err;

    const std::vector<uint8_t> split = FieldSplitPattern(pattern, c.width, c.height);
    const size_t fieldBytes = static_cast<size_t>(c.width) * (c.height / 2);
    for (int32_t i = 0; i < c.frames; ++i) {
      int32_t positions[2];
      ExportFieldPositions(i, c.frames, c.edgeWidth, positions[0], positions[1]);
      for (int field = 0; field < 2; ++field) {
        char name[32];
        std::snprintf(name, sizeof name, "frame%04d-f%d.pgm", i, field + 1);
        int w = 0, h = 0;
        std::string pixels;
        ASSERT_TRUE(ReadPgm(dir / "alpha" / name, w, h, pixels)) << name;
        EXPECT_EQ(w, c.width);
        EXPECT_EQ(h, c.height / 2);
        TransitionTable table;
        BuildTransitionTable(table, positions[field], c.edgeWidth);
        std::string want(fieldBytes, '\0');
        ApplyTransitionTable(reinterpret_cast<uint8_t*>(want.data()),
                             split.data() + field * fieldBytes, table, fieldBytes);
        EXPECT_TRUE(pixels == want) << name;
      }
    }
    // Nothing but the alpha fields.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir / "alpha"), fs::directory_iterator()),
              2 * c.frames);
  }
}

TEST(TransitionCommandTest, InvertAndReverseTurnTheWipeAround) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 120x90").status, 0);
  const fs::path pattern = dir / "p" / "spiral.tga";
  const std::string common = " --standard ntsc --duration 300 --width 40 -o ";
  const auto run = [&](const fs::path& from, const std::string& flags, const char* out) {
    const CliResult made =
        dir.Run("transition --pattern " + Quote(from) + flags + common + Quote(dir / out));
    EXPECT_EQ(made.status, 0) << made.err;
    return (dir / out).string();
  };

  // Inverted: the same file, byte for byte, as the inverted pattern's.
  GreyImage image;
  {
    BufferedFile file;
    ASSERT_TRUE(file.Open(pattern.string()));
    ASSERT_EQ(ReadTargaPattern(file, image), 0);
  }
  InvertPattern(image.pixels);
  ASSERT_EQ(WriteTargaGrey((dir / "inverted.tga").string(), image), 0);
  const avitest::Bytes inverted = avitest::ReadAll(run(pattern, " --invert", "invert.avi"));
  EXPECT_FALSE(inverted.empty());
  EXPECT_TRUE(inverted == avitest::ReadAll(run(dir / "inverted.tga", "", "plain-inverted.avi")));
  EXPECT_FALSE(inverted == avitest::ReadAll(run(pattern, "", "plain.avi")));

  // Reversed: every field's alpha at 40 + 256 - p.
  const std::vector<std::vector<Block>> frames = ReadBlocks(run(pattern, " --reverse", "rev.avi"));
  const std::vector<uint8_t> split = FieldSplitPattern(pattern, 640, 480);
  const size_t fieldBytes = 640 * 240;
  const int32_t count = static_cast<int32_t>(frames.size());
  ASSERT_EQ(count, 9);
  for (int32_t i = 0; i < count; ++i) {
    int32_t p[2];
    ExportFieldPositions(i, count, 40, p[0], p[1]);
    for (int field = 0; field < 2; ++field) {
      const Block& block = frames[i][frames[i].size() - 2 + field];
      EXPECT_TRUE(exporttest::DecodeAlphaBlock(block, 640, 240) ==
                  exporttest::ExpectedAlpha(split.data() + field * fieldBytes, fieldBytes,
                                            40 + 256 - p[field], 40))
          << "frame " << i << " field " << field + 1;
    }
  }
}

TEST(TransitionCommandTest, CarriesTheSourceVideoAndDropsItsOtherBlocks) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 64x48").status, 0);
  ASSERT_EQ(dir.Run("make-source --frames 4 -o " + Quote(dir / "s.avi")).status, 0);
  const auto source = ReadBlocks((dir / "s.avi").string());
  ASSERT_EQ(source.size(), 4u);

  const CliResult made =
      dir.Run("transition --pattern " + Quote(dir / "p" / "checker.tga") + " --source " +
              Quote(dir / "s.avi") + " --duration 200 -o " + Quote(dir / "out.avi"));
  ASSERT_EQ(made.status, 0) << made.err;
  const auto written = ReadBlocks((dir / "out.avi").string());
  ASSERT_EQ(written.size(), 6u);
  for (size_t i = 0; i < written.size(); ++i) {
    std::vector<Block> want;
    if (i < source.size())
      want = {source[i][0], source[i][2]};
    ASSERT_EQ(written[i].size(), want.size() + 2) << i;
    EXPECT_TRUE(std::equal(want.begin(), want.end(), written[i].begin())) << i;
    EXPECT_EQ(written[i][want.size()].tag, kAlphaFieldBlock);
    EXPECT_EQ(written[i][want.size() + 1].tag, kAlphaFieldBlock | kSecondFieldBit);
  }
}

TEST(TransitionCommandTest, DurationTakesMillisecondsOrATimeCodeAtTheStandardsRate) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 32x32").status, 0);
  struct Case {
    const char* arguments;
    uint32_t frames;
  };
  const Case cases[] = {
      {"--duration 00:00:01:00", 30},
      {"--duration 1000", 30},
      {"", 30},  // the dialog's default
      {"--duration 00:00:01:00 --standard pal", 25},
      {"--duration 00:00:00:15 --standard PAL", 15},
      {"--duration 10000", 300},
      {"--duration 00:00:10:00 --standard pal", 250},
  };
  for (const Case& c : cases) {
    const CliResult r = dir.Run("transition --pattern " + Quote(dir / "p" / "radial-out.tga") +
                                " " + c.arguments + " -o " + Quote(dir / "o.avi"));
    ASSERT_EQ(r.status, 0) << c.arguments << ": " << r.err;
    AVIVideoData file((dir / "o.avi").string());
    EXPECT_EQ(file.GetMainHeader().totalFrames, c.frames) << c.arguments;
  }
}

TEST(TransitionCommandTest, RefusesBadArgumentsWithoutWritingAnything) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 32x32").status, 0);
  std::ofstream(dir / "junk.tga") << "not a picture";
  std::ofstream(dir / "junk.avi") << "not a recording";
  const std::string pattern = " --pattern " + Quote(dir / "p" / "checker.tga");
  const std::string out = " -o " + Quote(dir / "out.avi");
  struct Case {
    std::string arguments;
    std::string message;  // a part of what stderr must say
  };
  const Case cases[] = {
      {pattern + out + " --width 256", "--width"},
      {pattern + out + " --width -1", "--width"},
      {pattern + out + " --duration 2", "--duration"},
      {pattern + out + " --duration 10001", "--duration"},
      {pattern + out + " --duration 00:00:10:01", "--duration"},
      {pattern + out + " --duration 00:00:01:30", "--duration"},
      {pattern + out + " --duration 00:00:00:25 --standard pal", "--duration"},
      {pattern + out + " --duration 00:61:00:00", "--duration"},
      {pattern + out + " --duration 1s", "--duration"},
      // Less than one frame: nothing to write, and no disk to blame.
      {pattern + out + " --duration 3",
       "--duration 3 ms is shorter than one frame (33.367 ms at 29.97 frames a second)"},
      {pattern + out + " --duration 16",
       "--duration 16 ms is shorter than one frame (33.367 ms at 29.97 frames a second)"},
      {pattern + out + " --duration 20 --standard pal",
       "--duration 20 ms is shorter than one frame (40.000 ms at 25 frames a second)"},
      {pattern + out + " --standard secam", "--standard"},
      {pattern, "--output"},
      {out, "--pattern"},
      {" --pattern " + Quote(dir / "none.tga") + out,
       "Load Image: Can not open file '" + (dir / "none.tga").string() + "'"},
      {" --pattern " + Quote(dir / "junk.tga") + out, "Load Image: "},
      {pattern + out + " --source " + Quote(dir / "none.avi"),
       "Open AVI: No file '" + (dir / "none.avi").string() + "'"},
      {pattern + out + " --source " + Quote(dir / "junk.avi"),
       "Open AVI: Bad file '" + (dir / "junk.avi").string() + "'"},
  };
  for (const Case& c : cases) {
    const CliResult r = dir.Run("transition" + c.arguments);
    EXPECT_NE(r.status, 0) << c.arguments;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << c.arguments << ": " << r.err;
    EXPECT_FALSE(fs::exists(dir / "out.avi")) << c.arguments;
  }
}

TEST(TransitionCommandTest, WriteFailureLeavesTheEarlierFileAsItWas) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 64x64").status, 0);
  const std::string earlier = "an earlier export that must survive";
  std::ofstream(dir / "out.avi") << earlier;
  // 200 KiB is far less than ten seconds of alpha; past it the kernel
  // refuses every write.
  const CliResult r = dir.Run("transition --pattern " + Quote(dir / "p" / "spiral.tga") +
                                  " --duration 10000 -o " + Quote(dir / "out.avi"),
                              "ulimit -f 200");
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("Write AVI: Can not write file '" + (dir / "out.avi").string() + "'"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(ReadText(dir / "out.avi"), earlier);
  // No temporary file is left behind.
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir.Path()))
    names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"out.avi", "p"}));
}

}  // namespace
