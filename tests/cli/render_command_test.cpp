// `orvane render` as a user runs it; every output is read back by the real
// ffprobe and ffmpeg, and the matte compared with what it must hold, worked
// out here from the wipe's positions.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "cli/test_picture.h"
#include "support/buffered_file.h"
#include "tests/cli/cli_run.h"
#include "tests/testing/run_tool.h"
#include "wipe/scale_grey_image.h"
#include "wipe/targa_pattern.h"
#include "wipe/transition_table.h"

namespace {

using namespace clitest;

using testtool::RunTool;

// What ffprobe says of the first video stream, field by field.
std::map<std::string, std::string> Probe(const std::string& input) {
  std::string out;
  EXPECT_EQ(RunTool(std::string(ORVANE_FFPROBE) +
                        " -v error -count_frames -select_streams v:0 -show_entries "
                        "stream=codec_name,pix_fmt,width,height,r_frame_rate,nb_read_frames,"
                        "profile -of default=noprint_wrappers=1 " +
                        Quote(input),
                    &out),
            0)
      << input;
  const auto pairs = testtool::KeyValueLines(out);
  return {pairs.begin(), pairs.end()};
}

// Every frame as ffmpeg decodes it, in pixelFormat, one after another.
std::string Decode(const std::string& input, const char* pixelFormat) {
  std::string out;
  EXPECT_EQ(RunTool(std::string(ORVANE_FFMPEG) + " -nostdin -v error -i " + Quote(input) +
                        " -f rawvideo -pix_fmt " + pixelFormat + " -",
                    &out),
            0)
      << input;
  return out;
}

std::vector<uint8_t> ReadPattern(const fs::path& path) {
  BufferedFile file;
  EXPECT_TRUE(file.Open(path.string()));
  GreyImage image;
  EXPECT_EQ(ReadTargaPattern(file, image), 0);
  return image.pixels;
}

struct MatteCase {
  const char* name;
  const char* pattern;
  const char* arguments;
  const char* output;
  int width, height;
  int edgeWidth;
  int frames;  // of one pass
  bool invert, reverse, inOut;
  const char* rate;  // as ffprobe gives it
};

// The matte frames the case must give: frame i of n at position
// lo + round(i * (hi - lo) / (n - 1)), lo = -(W/2), hi = 255 + W/2.
std::string ExpectedMatte(const MatteCase& c, const fs::path& patternFile) {
  std::vector<uint8_t> pattern = ReadPattern(patternFile);
  if (c.invert) {
    for (uint8_t& v : pattern)
      v = static_cast<uint8_t>(255 - v);
  }
  std::vector<uint8_t> scaled(static_cast<size_t>(c.width) * c.height);
  ScaleGreyImage(scaled.data(), c.width, c.height, pattern.data(), 64, 48);
  const int lo = -(c.edgeWidth / 2);
  const int hi = 255 + c.edgeWidth / 2;
  std::vector<int> positions;
  for (int i = 0; i < c.frames; ++i) {
    const double step = c.frames == 1 ? 0.0 : static_cast<double>(hi - lo) / (c.frames - 1);
    positions.push_back(lo + static_cast<int>(std::floor(i * step + 0.5)));
  }
  if (c.reverse)
    std::reverse(positions.begin(), positions.end());
  if (c.inOut) {
    const std::vector<int> back(positions.rbegin(), positions.rend());
    positions.insert(positions.end(), back.begin(), back.end());
  }
  std::string frames;
  std::string frame(scaled.size(), '\0');
  for (int p : positions) {
    TransitionTable table;
    BuildTransitionTable(table, p, c.edgeWidth);
    ApplyTransitionTable(reinterpret_cast<uint8_t*>(frame.data()), scaled.data(), table,
                         scaled.size());
    frames += frame;
  }
  return frames;
}

TEST(RenderCommandTest, MatteFramesAreTheWipesAlphaByteForByte) {
  const MatteCase cases[] = {
      {"mkv, PAL rate", "diamond-out", "--size 96x72 --fps 25 --duration 400", "m.mkv", 96,
       72, 48, 10, false, false, false, "25/1"},
      {"avi, odd size and width, inverted and reversed", "spiral",
       "--size 33x17 --fps 30000/1001 --duration 300 --invert --reverse", "m.avi", 33,
       17, 7, 9, true, true, false, "30000/1001"},
      {"mov, in and out, NTSC time code", "random-dissolve",
       "--size 40x30 --duration 00:00:00:05 --in-out", "m.mov", 40, 30, 255, 5,
       false, false, true, "2997/100"},
      {"one frame holds the start", "checker", "--size 16x16 --fps 25 --duration 40",
       "one.mkv", 16, 16, 0, 1, false, false, false, "25/1"},
  };
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 64x48").status, 0);
  for (const MatteCase& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path pattern = dir / "p" / (std::string(c.pattern) + ".tga");
    const fs::path out = dir / c.output;
    const CliResult r = dir.Run("render --pattern " + Quote(pattern) + " --width " +
                                std::to_string(c.edgeWidth) + " " + c.arguments + " -o " +
                                Quote(out));
    ASSERT_EQ(r.status, 0) << r.err;
    const int total = c.frames * (c.inOut ? 2 : 1);
    EXPECT_NE(r.out.find(std::to_string(total) + " frames"), std::string::npos) << r.out;

    auto probed = Probe(out.string());
    EXPECT_EQ(probed["codec_name"], "ffv1");
    EXPECT_EQ(probed["pix_fmt"], "gray");
    EXPECT_EQ(probed["width"], std::to_string(c.width));
    EXPECT_EQ(probed["height"], std::to_string(c.height));
    EXPECT_EQ(probed["r_frame_rate"], c.rate);
    EXPECT_EQ(probed["nb_read_frames"], std::to_string(total));

    const std::string decoded = Decode(out.string(), "gray");
    const std::string want = ExpectedMatte(c, pattern);
    ASSERT_EQ(decoded.size(), want.size());
    const size_t frameBytes = static_cast<size_t>(c.width) * c.height;
    for (int i = 0; i < total; ++i) {
      EXPECT_TRUE(decoded.compare(i * frameBytes, frameBytes, want, i * frameBytes, frameBytes) ==
                  0)
          << "frame " << i;
    }
    // The wipe runs from the first picture whole to the second.
    const char first = c.reverse ? '\0' : '\xff';
    EXPECT_EQ(want.substr(0, frameBytes), std::string(frameBytes, first));
  }
}

TEST(RenderCommandTest, OtherCodecsAreTheOnesTheHelpNames) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 64x48").status, 0);
  const struct {
    const char* codec;
    const char* output;
    const char* name;
    const char* profile;
    const char* pixelFormat;  // as the library's decoder gives it
  } cases[] = {
      {"prores", "m.mov", "prores", "4444", "yuv444p12le"},
      {"h264", "m.mkv", "h264", "High", "yuv420p"},
      {"ffv1", "m.avi", "ffv1", "", "gray"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codec);
    const fs::path out = dir / c.output;
    const CliResult r = dir.Run("render --pattern " + Quote(dir / "p" / "spiral.tga") +
                                " --size 64x48 --duration 200 --codec " + c.codec + " -o " +
                                Quote(out));
    ASSERT_EQ(r.status, 0) << r.err;
    auto probed = Probe(out.string());
    EXPECT_EQ(probed["codec_name"], c.name);
    if (*c.profile) {
      EXPECT_EQ(probed["profile"], c.profile);
    }
    EXPECT_EQ(probed["pix_fmt"], c.pixelFormat);
    EXPECT_EQ(probed["nb_read_frames"], "6");
    fs::remove(out);
  }
}

TEST(RenderCommandTest, PictureSequenceHoldsOneGreyPngAFrameFromZero) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 64x48").status, 0);
  const MatteCase c{"png", "radial-out", "", "", 32, 24, 48, 6, false, true, false, "25/1"};
  const fs::path pattern = dir / "p" / "radial-out.tga";
  fs::create_directory(dir / "seq");
  const CliResult r = dir.Run("render --pattern " + Quote(pattern) +
                              " --size 32x24 --fps 25 --duration 240 --reverse -o " +
                              Quote(dir / "seq" / "matte-%04d.png"));
  ASSERT_EQ(r.status, 0) << r.err;
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(dir / "seq"))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"matte-0000.png", "matte-0001.png", "matte-0002.png",
                                             "matte-0003.png", "matte-0004.png",
                                             "matte-0005.png"}));
  auto probed = Probe((dir / "seq" / "matte-0003.png").string());
  EXPECT_EQ(probed["codec_name"], "png");
  EXPECT_EQ(probed["pix_fmt"], "gray");
  EXPECT_EQ(probed["width"], "32");
  const std::string decoded = Decode((dir / "seq" / "matte-%04d.png").string(), "gray");
  EXPECT_TRUE(decoded == ExpectedMatte(c, pattern));
}

// Peak signal-to-noise ratio of two pictures of the same size, in dB.
double Psnr(const std::string& a, const std::string& b) {
  double squares = 0;
  for (size_t k = 0; k < a.size(); ++k) {
    const double d = static_cast<unsigned char>(a[k]) - static_cast<unsigned char>(b[k]);
    squares += d * d;
  }
  const double mse = squares / static_cast<double>(a.size());
  return mse == 0 ? 99.0 : 10.0 * std::log10(255.0 * 255.0 / mse);
}

TEST(RenderCommandTest, PreviewStartsOnTheFirstPictureAndEndsOnTheSecond) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 64x48").status, 0);
  // Two pictures another program made, at the output's size.
  const std::string ffmpeg = std::string(ORVANE_FFMPEG) + " -nostdin -v error -y -f lavfi -i ";
  // Smooth ones: a 4:2:0 video halves the colour's detail, which the
  // comparison is not about.
  ASSERT_EQ(RunTool(ffmpeg + "gradients=size=160x120:seed=1 -frames:v 1 " + Quote(dir / "a.png")),
            0);
  ASSERT_EQ(RunTool(ffmpeg + "gradients=size=160x120:seed=1,negate -frames:v 1 " +
                    Quote(dir / "b.png")),
            0);
  std::vector<uint8_t> card;
  RenderTestField(160, 120, 0, card);
  std::string cardA(card.begin(), card.end());
  std::string cardB = cardA;
  for (char& v : cardB)
    v = static_cast<char>(255 - static_cast<unsigned char>(v));
  struct Case {
    const char* name;
    std::string pictures;
    std::string a, b;
    const char* output;
  };
  const Case cases[] = {
      {"given pictures", Quote(dir / "a.png") + " " + Quote(dir / "b.png"),
       Decode((dir / "a.png").string(), "rgb24"), Decode((dir / "b.png").string(), "rgb24"),
       "wipe.mp4"},
      {"test cards", "", cardA, cardB, "cards.mkv"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path out = dir / c.output;
    const CliResult r =
        dir.Run("render --pattern " + Quote(dir / "p" / "horizontal-left-to-right.tga") +
                " --size 160x120 --fps 25 --duration 480 --preview " + c.pictures + " -o " +
                Quote(out));
    ASSERT_EQ(r.status, 0) << r.err;
    auto probed = Probe(out.string());
    EXPECT_EQ(probed["codec_name"], "h264");
    EXPECT_EQ(probed["pix_fmt"], "yuv420p");
    EXPECT_EQ(probed["nb_read_frames"], "12");
    const std::string frames = Decode(out.string(), "rgb24");
    const size_t frameBytes = 160 * 120 * 3;
    ASSERT_EQ(frames.size(), 12 * frameBytes);
    ASSERT_EQ(c.a.size(), frameBytes);
    const std::string first = frames.substr(0, frameBytes);
    const std::string last = frames.substr(11 * frameBytes);
    EXPECT_GE(Psnr(first, c.a), 35.0);
    EXPECT_GE(Psnr(last, c.b), 35.0);
    // The pictures differ enough that the wrong one could not pass.
    EXPECT_LT(Psnr(first, c.b), 20.0);
  }
}

std::vector<std::string> NamesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& e : fs::directory_iterator(folder))
    names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(RenderCommandTest, RefusalsSayWhyAndLeaveTheEarlierFileAlone) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 64x48").status, 0);
  fs::create_directory(dir / "out");
  {
    std::ofstream(dir / "out" / "file.txt") << "not a folder";
  }
  const std::string pattern = "--pattern " + Quote(dir / "p" / "random-dissolve.tga");
  struct Case {
    const char* name;
    std::string earlier;  // a file of the output's name there before
    std::string arguments;
    std::string setup;
    int status;
    std::vector<std::string> says;
  };
  const std::string out = (dir / "out").string();
  const Case cases[] = {
      {"an unknown extension", "m.webm", "--duration 200 -o " + Quote(dir / "out" / "m.webm"), "",
       2, {"the output's name says what is written", "'" + out + "/m.webm'"}},
      {"a sequence without a number", "m.png",
       "--duration 200 -o " + Quote(dir / "out" / "m.png"), "", 2,
       {"a .png name with a frame number"}},
      {"a folder that is a file", "",
       "--duration 200 -o " + Quote(dir / "out" / "file.txt" / "m.mkv"), "", 1,
       {"Render Matte: No file '" + out + "/file.txt/m.mkv'"}},
      {"a sequence in a folder that is a file", "",
       "--duration 200 -o " + Quote(dir / "out" / "file.txt" / "m-%02d.png"), "", 1,
       {"Render Matte: No file '" + out + "/file.txt/m-00.png'"}},
      {"a disk that fills", "m.mkv", "--size 320x240 --duration 2000 -o " + Quote(dir / "out" / "m.mkv"),
       "ulimit -f 64", 1,
       {"Render Matte: Can not write file '" + out + "/m.mkv' (video library: File too large)"}},
      {"an encoder this library lacks", "m.mkv",
       "--duration 200 --encoder h264_mf -o " + Quote(dir / "out" / "m.mkv"), "", 1,
       {"Render Matte: No video encoder 'h264_mf' (video library: Encoder not found)"}},
      {"a preview of odd size", "w.mp4",
       "--duration 200 --size 33x20 --preview -o " + Quote(dir / "out" / "w.mp4"), "", 2,
       {"even width and height"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (!c.earlier.empty())
      std::ofstream(dir / "out" / c.earlier) << "earlier bytes";
    const std::vector<std::string> before = NamesIn(dir / "out");
    const CliResult r = dir.Run("render " + pattern + " " + c.arguments, c.setup);
    EXPECT_EQ(r.status, c.status) << r.err;
    for (const std::string& line : c.says)
      EXPECT_NE(r.err.find(line), std::string::npos) << "missing: " << line << "\nin:\n" << r.err;
    EXPECT_EQ(NamesIn(dir / "out"), before) << "something was left behind";
    if (!c.earlier.empty()) {
      EXPECT_EQ(ReadText(dir / "out" / c.earlier), "earlier bytes");
      fs::remove(dir / "out" / c.earlier);
    }
  }
}

}  // namespace
