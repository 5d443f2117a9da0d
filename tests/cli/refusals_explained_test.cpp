// Where `orvane` refuses or stops, it says why after the message the
// program's dialogs show: what it found, what it needs, and what is on disk.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <string>
#include <vector>

#include "avi/avi_video_data.h"
#include "tests/avi/export_test_support.h"
#include "tests/cli/cli_run.h"

namespace {

using namespace clitest;
using avitest::DeviceFrame;
using avitest::SimpleAvi;
using avitest::WriteAll;

// Each run must say every one of lines on stderr, in order, and fail.
void ExpectSays(const CliResult& r, const std::vector<std::string>& lines,
                const std::string& what) {
  EXPECT_EQ(r.status, 1) << what << "\n" << r.err;
  size_t at = 0;
  for (const std::string& line : lines) {
    const size_t found = r.err.find(line + "\n", at);
    EXPECT_NE(found, std::string::npos) << what << ": missing\n  " << line << "\nin\n" << r.err;
    if (found != std::string::npos)
      at = found + line.size();
  }
}

// A named pipe would make a plain open wait for a writer for ever.
TEST(RefusalsExplainedTest, FilesThatAreNotRegularAreRefusedAtOnce) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 32x32").status, 0);
  ASSERT_EQ(mkfifo((dir / "pipe").c_str(), 0644), 0);
  fs::create_directory(dir / "folder");
  const std::string pattern = " --pattern " + Quote(dir / "p" / "checker.tga");
  struct Kind {
    fs::path path;
    const char* is;
  };
  const Kind kinds[] = {
      {dir / "pipe", "a named pipe"}, {dir / "folder", "a folder"}, {"/dev/null", "a device"}};
  for (const Kind& k : kinds) {
    const std::string name = "'" + k.path.string() + "'";
    const std::string input = name + " is " + k.is + ", not a regular file";
    struct Role {
      std::string arguments;
      std::vector<std::string> lines;
    };
    const Role roles[] = {
        {"inspect " + Quote(k.path), {"Open AVI: No file " + name, "inspect: " + input}},
        {"transition --pattern " + Quote(k.path) + " -o " + Quote(dir / "o.avi"),
         {"Load Image: Can not open file " + name, "transition: " + input}},
        {"transition" + pattern + " -o " + Quote(k.path),
         {"Write AVI: No file " + name,
          "transition: " + name + " is " + k.is + "; the output must be a regular file"}},
    };
    for (const Role& role : roles) {
      const CliResult r = dir.Run(role.arguments, "", 20);
      ASSERT_NE(r.status, kTimedOut) << role.arguments << " waited on " << k.is;
      ExpectSays(r, role.lines, role.arguments);
    }
  }
  EXPECT_FALSE(fs::exists(dir / "o.avi"));
}

// Files that other programs write are AVI files, but not the card's.
TEST(RefusalsExplainedTest, AviFilesOfOtherProgramsSayWhatTheyHold) {
  CliFolder dir;
  const std::string lavfi =
      std::string(ORVANE_FFMPEG) + " -v error -nostdin -y -f lavfi -i testsrc=size=64x48:rate=25 ";
  struct Case {
    const char* name;
    std::string encode;
    std::string found;
  };
  const Case cases[] = {
      {"mjpeg", "-t 0.4 -c:v mjpeg", "its video stream's handler is 'MJPG' (frames 'MJPG')"},
      {"raw", "-t 0.4 -c:v rawvideo -pix_fmt bgr24",
       "its video stream's handler is none (uncompressed frames)"},
      {"ffv1", "-t 0.4 -c:v ffv1", "its video stream's handler is 'FFV1' (frames 'FFV1')"},
      {"mpeg4 with sound", "-f lavfi -i sine=r=8000 -t 0.4 -c:v mpeg4 -c:a pcm_s16le",
       "its video stream's handler is 'FMP4' (frames 'FMP4')"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const fs::path file = dir / "other.avi";
    ASSERT_EQ(std::system((lavfi + c.encode + " " + Quote(file)).c_str()), 0);
    const std::string name = "'" + file.string() + "'";
    const std::string needs = c.found + "; the card records 'ORVD' or 'ORVT' frames";

    const CliResult inspected = dir.Run("inspect " + Quote(file));
    ExpectSays(inspected, {"Open AVI: Bad file " + name, "inspect: " + needs}, "inspect");
    // The headers it could read are shown all the same.
    for (const char* line :
         {"main     microseconds/frame 40000", "stream   0: vids", "format   40 bytes  64x"}) {
      EXPECT_NE(inspected.out.find(line), std::string::npos) << line << "\n" << inspected.out;
    }
    ExpectSays(dir.Run("masks --source " + Quote(file) + " --first-mask " + Quote(dir / "m.tga") +
                       " -o " + Quote(dir / "o.avi")),
               {"Open AVI: No file " + name, "masks: " + needs}, "masks");
  }
  EXPECT_FALSE(fs::exists(dir / "o.avi"));
}

// An export stopped by its input keeps a shorter file; one that could not
// fit any file is refused before anything is written.
TEST(RefusalsExplainedTest, ExportsThatStopOrCannotFitSaySoAndWhatIsOnDisk) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 32x32").status, 0);
  ASSERT_EQ(dir.Run("make-source --frames 5 -o " + Quote(dir / "s.avi")).status, 0);
  std::vector<avitest::Bytes> frames;
  for (uint32_t i = 0; i < 5; ++i)
    frames.push_back(DeviceFrame(i));
  frames[3][0] = 'X';
  WriteAll((dir / "bad3.avi").string(), SimpleAvi(frames).Build());
  auto sourceAt = [&](uint32_t rate, const char* name) {
    avitest::HandAvi avi = SimpleAvi({DeviceFrame(1)});
    avi.headers[0].rate = rate;
    avi.headers[0].scale = 1;
    WriteAll((dir / name).string(), avi.Build());
    return dir / name;
  };
  for (int n = 1; n <= 3; ++n) {
    const std::string name = "m00" + std::to_string(n) + ".tga";
    WriteAll((dir / name).string(), exporttest::MaskTarga(n, {40, 130, n == 3 ? 16 : 24}));
  }
  const std::string out = (dir / "out.avi").string();
  const std::string pattern = "transition --pattern " + Quote(dir / "p" / "spiral.tga");
  struct Case {
    std::string arguments;
    std::vector<std::string> lines;
    int32_t kept;  // frames in the file afterwards, or -1 for none
  };
  const Case cases[] = {
      {pattern + " --source " + Quote(dir / "bad3.avi") + " -o " + Quote(out),
       {"Write AVI: Bad file '" + (dir / "bad3.avi").string() + "'",
        "transition: stopped at frame 3 of 25: '" + (dir / "bad3.avi").string() +
            "' could not be used (Bad file); '" + out + "' holds the 3 frames written before"},
       3},
      {"masks --source " + Quote(dir / "s.avi") + " --first-mask " + Quote(dir / "m001.tga") +
           " -o " + Quote(out),
       {"Write AVI: Bad file '" + (dir / "m003.tga").string() + "'",
        "masks: stopped at frame 2 of 5: '" + (dir / "m003.tga").string() +
            "' could not be used (Bad file); '" + out + "' holds the 2 frames written before"},
       2},
      {pattern + " --source " + Quote(sourceAt(1000000, "million.avi")) + " -o " + Quote(out),
       {"Write AVI: Invalid video parameters (f.e. width and height of image)",
        "transition: 1000000 frames at 1000000 frames a second, each of at least 4964 bytes, "
        "are more than the 2 GB an AVI file holds"},
       -1},
      {pattern + " --duration 3 --source " + Quote(sourceAt(0xFFFFFFFF, "fastest.avi")) + " -o " +
           Quote(out),
       {"Write AVI: Invalid video parameters (f.e. width and height of image)",
        "transition: a rate of 4294967295 frames a second is more than an AVI file's headers "
        "hold (at most 1000000)"},
       -1},
  };
  for (const Case& c : cases) {
    fs::remove(out);
    const CliResult r = dir.Run(c.arguments, "ulimit -f 100000", 60);
    ExpectSays(r, c.lines, c.arguments);
    if (c.kept < 0) {
      EXPECT_FALSE(fs::exists(out)) << c.arguments;
      continue;
    }
    AVIVideoData kept(out);
    EXPECT_EQ(kept.GetStatus(), 0) << c.arguments;
    EXPECT_EQ(kept.GetFrameCount(), c.kept) << c.arguments;
  }
}

}  // namespace
