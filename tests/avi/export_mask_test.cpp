#include <gtest/gtest.h>

#include "avi/export.h"
#include "support/error_codes.h"
#include "support/prompter.h"
#include "tests/avi/export_test_support.h"

namespace {

using namespace avitest;
using namespace exporttest;

// The two blocks mask number n should give.
std::pair<Bytes, Bytes> MaskBlocks(int32_t n, int32_t width) {
  Bytes first, second;
  for (int32_t k = 0; k < 64; ++k) {
    for (int32_t x = 0; x < width; ++x) {
      first.push_back(MaskValue(n, 2 * k, x));
      second.push_back(MaskValue(n, 2 * k + 1, x));
    }
  }
  return {first, second};
}

class ExportMaskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::vector<Bytes> frames;
    for (uint32_t i = 0; i < 6; ++i)
      frames.push_back(DeviceFrame(i, 10 + i));
    HandAvi avi = SimpleAvi(frames, kFourCCOrvd);
    avi.headers[0].quality = 6000;
    avi.formats[0] = BitmapFormat(720, 576, kFourCCOrvd);
    source_ = dir_.File("src.avi");
    WriteAll(source_, avi.Build());
    sourceFrames_ = frames;
  }

  void WriteMask(int32_t n, const MaskShape& shape = {}, size_t cut = 0) {
    char name[16];
    std::snprintf(name, sizeof name, "m%03d.tga", n);
    WriteAll(dir_.File(name), MaskTarga(n, shape, cut));
  }

  bool Export(int32_t* code, ExportProgress* progress = nullptr) {
    mask_ = dir_.File("m001.tga");
    return ExportMaskSequence(progress, source_, mask_, out_, code);
  }

  ScratchDir dir_;
  RecordingPrompter prompter_;
  ScopedPrompter scope_{prompter_};
  std::string source_;
  std::vector<Bytes> sourceFrames_;
  std::string mask_;
  const std::string out_ = dir_.File("out.avi");
};

TEST_F(ExportMaskTest, StopsAtTheFirstMissingNumberWithAValidFile) {
  for (int32_t n = 1; n <= 4; ++n)
    WriteMask(n);
  int32_t code = -1;
  ASSERT_TRUE(Export(&code));
  EXPECT_EQ(code, kOk);
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_EQ(mask_, dir_.File("m005.tga"));

  const auto frames = ReadBlocks(out_);
  ASSERT_EQ(frames.size(), 4u);
  for (int32_t i = 0; i < 4; ++i) {
    const auto [first, second] = MaskBlocks(i + 1, 16);
    const Bytes& video = sourceFrames_[static_cast<size_t>(i)];
    const std::vector<Block> want = {
        {kVideoFieldBlock, Bytes(video.begin() + 12, video.end())},
        {kMaskFieldBlock, first},
        {kMaskFieldBlock | kSecondFieldBit, second},
    };
    EXPECT_EQ(frames[static_cast<size_t>(i)], want) << "frame " << i;
  }

  // Headers from the source: its rate, quality, size and format unchanged.
  AVIVideoData file(out_);
  EXPECT_EQ(file.GetMainHeader().microSecPerFrame, 40000u);
  EXPECT_EQ(file.GetMainHeader().width, 720u);
  EXPECT_EQ(file.GetMainHeader().height, 576u);
  EXPECT_EQ(file.GetStreamHeader().rate, 25000u);
  EXPECT_EQ(file.GetStreamHeader().quality, 6000u);
  EXPECT_EQ(Bytes(file.GetFormat(), file.GetFormat() + file.GetFormatSize()),
            BitmapFormat(720, 576, kFourCCOrvt));
}

TEST_F(ExportMaskTest, TwentyFourAndThirtyTwoBitMasksGiveEqualBlocks) {
  std::vector<std::vector<Block>> results;
  for (int32_t depth : {24, 32}) {
    WriteMask(1, {16, 128, depth});
    WriteMask(2, {16, 200, depth});
    ASSERT_TRUE(Export(nullptr)) << depth;
    results.push_back(ReadBlocks(out_)[1]);
  }
  EXPECT_EQ(results[0], results[1]);
  EXPECT_EQ(results[0][1].payload, MaskBlocks(2, 16).first);
}

TEST_F(ExportMaskTest, SequenceLongerThanTheSourceEndsWithTheSource) {
  for (int32_t n = 1; n <= 8; ++n)
    WriteMask(n);
  ASSERT_TRUE(Export(nullptr));
  EXPECT_EQ(ReadBlocks(out_).size(), 6u);
  EXPECT_EQ(mask_, dir_.File("m007.tga"));
}

TEST_F(ExportMaskTest, ShortMaskEndsTheSequence) {
  for (const size_t cut : {size_t{1}, size_t{16 * 130 * 3 + 1}}) {
    WriteMask(1);
    WriteMask(2);
    WriteMask(3, {}, cut);
    int32_t code = -1;
    ASSERT_TRUE(Export(&code)) << cut;
    EXPECT_EQ(ReadBlocks(out_).size(), 2u);
    EXPECT_EQ(mask_, dir_.File("m003.tga"));
  }
  EXPECT_TRUE(prompter_.messages.empty());
}

TEST_F(ExportMaskTest, MaskTheBuffersCannotHoldIsRefusedWithItsName) {
  const MaskShape refused[] = {
      {769, 128, 24}, {0, 128, 24},  {16, 127, 24},
      {16, 128, 8},   {16, 128, 16}, {768, 577, 32},  // pixels one line beyond the buffer
  };
  for (const MaskShape& shape : refused) {
    prompter_.messages.clear();
    WriteMask(1);
    WriteMask(2, shape);
    WriteMask(3);
    int32_t code = -1;
    EXPECT_FALSE(Export(&code)) << shape.width << "x" << shape.height << "x" << shape.depth;
    EXPECT_EQ(code, kErrBadFile);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].caption, "Write AVI");
    EXPECT_EQ(prompter_.messages[0].text, "Bad file '" + dir_.File("m002.tga") + "'");
    EXPECT_EQ(ReadBlocks(out_).size(), 1u);
  }
  // The largest mask that fits is taken.
  WriteMask(2, {768, 576, 32});
  ASSERT_TRUE(Export(nullptr));
  EXPECT_EQ(ReadBlocks(out_).size(), 3u);
}

TEST_F(ExportMaskTest, MissingFirstMaskIsReportedAndNothingIsWritten) {
  WriteAll(out_, Text("earlier"));
  int32_t code = -1;
  EXPECT_FALSE(Export(&code));
  EXPECT_EQ(code, kErrNoFile);
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0].text, "No file '" + dir_.File("m001.tga") + "'");
  EXPECT_EQ(ReadAll(out_), Text("earlier"));
}

TEST_F(ExportMaskTest, NeedsAUsableSource) {
  WriteMask(1);
  WriteAll(dir_.File("junk.avi"), Text("RIFF but not really"));
  for (const std::string& source : {std::string(), dir_.File("none.avi"), dir_.File("junk.avi")}) {
    prompter_.messages.clear();
    std::string mask = dir_.File("m001.tga");
    int32_t code = -1;
    EXPECT_FALSE(ExportMaskSequence(nullptr, source, mask, out_, &code));
    EXPECT_EQ(code, kErrNoFile);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].caption, "Open AVI");
    EXPECT_EQ(prompter_.messages[0].text, "No file '" + source + "'");
    EXPECT_EQ(mask, dir_.File("m001.tga"));
  }
  EXPECT_FALSE(fs::exists(out_));
}

TEST_F(ExportMaskTest, CancelKeepsTheFramesWritten) {
  for (int32_t n = 1; n <= 6; ++n)
    WriteMask(n);
  RecordingProgress progress;
  progress.cancelAt = 2;
  int32_t code = -1;
  EXPECT_FALSE(Export(&code, &progress));
  EXPECT_EQ(code, kErrCancelled);
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_EQ(progress.total, 6);
  EXPECT_EQ(progress.closes, 1);
  EXPECT_EQ(ReadBlocks(out_).size(), 2u);
}

TEST(NextNumberedNameTest, CountsUpTheNumberOfTheFileName) {
  struct Case {
    const char* before;
    const char* after;
  };
  const Case cases[] = {
      {"wipe009.tga", "wipe010.tga"},
      {"wipe0199.tga", "wipe0200.tga"},
      {"wipe999.tga", "w000000.tga"},
      {"a-9.tga", "a.0.tga"},  // "-" plus one is "."
      {"m001", "m002"},
      {"m1.tar.gz", "m2.tar.gz"},
      {"9.tga", "9.tga"},  // the first character is never changed
      {".tga", ".tga"},
      {"", ""},
      // A dot in a folder name is not the extension.
      {"/home/j.doe/clips.old/m001.tga", "/home/j.doe/clips.old/m002.tga"},
      {"~/clips.old/m009.tga", "~/clips.old/m010.tga"},
      {"clips.old/m0999", "clips.old/m1000"},
      // Only "/" separates folders here.
      {"c:\\clips.old\\m001.tga", "c0000000.old\\m001.tga"},
  };
  for (const Case& c : cases) {
    std::string path = c.before;
    NextNumberedName(path);
    EXPECT_EQ(path, c.after) << c.before;
  }
}

TEST(NextNumberedNameTest, LongPathsAreNotCut) {
  std::string path = "/" + std::string(300, 'd') + "/mask0041.tga";
  NextNumberedName(path);
  EXPECT_EQ(path, "/" + std::string(300, 'd') + "/mask0042.tga");
}

}  // namespace
