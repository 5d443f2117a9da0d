#include <gtest/gtest.h>

#include <functional>

#include "avi/export.h"
#include "support/error_codes.h"
#include "support/prompter.h"
#include "support/time_code.h"
#include "tests/avi/export_test_support.h"

namespace {

using namespace avitest;
using namespace exporttest;

constexpr int32_t kWidth = 80;
constexpr int32_t kHeight = 40;
constexpr int32_t kFieldLines = kHeight / 2;
constexpr size_t kFieldBytes = static_cast<size_t>(kWidth) * kFieldLines;

class ExportTransitionTest : public ::testing::Test {
 protected:
  bool Export(const std::string& source, int32_t durationMs, int32_t* code,
              ExportProgress* progress = nullptr, int32_t edgeWidth = 48) {
    return ExportTransition(progress, source, out_, durationMs, rate_, pattern_, kWidth, kHeight,
                            edgeWidth, code);
  }

  // A card recording of the given frames, 25 frames a second, quality 7777.
  std::string Source(const std::vector<Bytes>& frames, const std::string& name = "src.avi") {
    HandAvi avi = SimpleAvi(frames, kFourCCOrvd);
    avi.headers[0].quality = 7777;
    const std::string path = dir_.File(name);
    WriteAll(path, avi.Build());
    return path;
  }

  // Every frame's alpha blocks hold the wipe at that frame's positions.
  void ExpectWipe(const std::vector<std::vector<Block>>& frames, int32_t frameCount,
                  int32_t edgeWidth = 48) {
    for (size_t i = 0; i < frames.size(); ++i) {
      const std::vector<Block>& blocks = frames[i];
      ASSERT_GE(blocks.size(), 2u);
      const Block& first = blocks[blocks.size() - 2];
      const Block& second = blocks[blocks.size() - 1];
      EXPECT_EQ(first.tag, kAlphaFieldBlock);
      EXPECT_EQ(second.tag, kAlphaFieldBlock | kSecondFieldBit);
      int32_t p1 = 0, p2 = 0;
      ExportFieldPositions(static_cast<int32_t>(i), frameCount, edgeWidth, p1, p2);
      EXPECT_EQ(DecodeAlphaBlock(first, kWidth, kFieldLines),
                ExpectedAlpha(pattern_.data(), kFieldBytes, p1, edgeWidth))
          << "frame " << i << " field 1";
      EXPECT_EQ(DecodeAlphaBlock(second, kWidth, kFieldLines),
                ExpectedAlpha(pattern_.data() + kFieldBytes, kFieldBytes, p2, edgeWidth))
          << "frame " << i << " field 2";
    }
  }

  ScratchDir dir_;
  RecordingPrompter prompter_;
  ScopedPrompter scope_{prompter_};
  const Bytes pattern_ = TestPattern(kWidth, kHeight);
  const std::string out_ = dir_.File("out.avi");
  // The rate of frames without a source.
  float rate_ = kNtscFrameRate;
};

TEST(ExportFieldPositionsTest, FollowTheWipePathInAndOut) {
  struct Case {
    int32_t frames, edgeWidth, frame, p1, p2;
  };
  const Case cases[] =
      {
          {100, 48, 0, 0, 3},  {100, 48, 50, 304, 307}, {100, 48, 51, 298, 295},
          {100, 48, 99, 6, 3}, {2, 0, 1, 256, 384},     {3, 48, 2, 304, 152},
          {1, 48, 0, 0, 152},  // a single frame holds the wipe's first frame
      };
  for (const Case& c : cases) {
    int32_t p1 = -1, p2 = -1;
    ExportFieldPositions(c.frame, c.frames, c.edgeWidth, p1, p2);
    EXPECT_EQ(p1, c.p1) << c.frames << " frames, frame " << c.frame;
    EXPECT_EQ(p2, c.p2) << c.frames << " frames, frame " << c.frame;
  }
  // The first field comes back the way it went.
  for (int32_t i = 0; i <= 30; ++i) {
    int32_t in1, in2, out1, out2;
    ExportFieldPositions(i, 60, 100, in1, in2);
    ExportFieldPositions(60 - i, 60, 100, out1, out2);
    EXPECT_EQ(in1, out1) << i;
  }
}

TEST_F(ExportTransitionTest, WithoutSourceFramesHoldOnlyTheTwoAlphaBlocks) {
  struct Case {
    float rate;
    uint32_t microSecPerFrame, streamRate;
    int32_t frames;
  };
  for (const Case& c :
       {Case{kNtscFrameRate, 33366, 29970, 15}, Case{kPalFrameRate, 40000, 25000, 12}}) {
    SCOPED_TRACE(c.rate);
    rate_ = c.rate;
    int32_t code = -1;
    ASSERT_TRUE(Export("", 500, &code));
    EXPECT_EQ(code, kOk);
    EXPECT_TRUE(prompter_.messages.empty());

    AVIVideoData file(out_);
    ASSERT_EQ(file.GetStatus(), kOk);
    const MainHeader& main = file.GetMainHeader();
    EXPECT_EQ(main.microSecPerFrame, c.microSecPerFrame);
    EXPECT_EQ(main.flags, kAviHasIndex);
    EXPECT_EQ(main.totalFrames, static_cast<uint32_t>(c.frames));
    EXPECT_EQ(main.width, static_cast<uint32_t>(kWidth));
    EXPECT_EQ(main.height, static_cast<uint32_t>(kHeight));
    const StreamHeader& stream = file.GetStreamHeader();
    EXPECT_EQ(stream.handler, kFourCCOrvt);
    EXPECT_EQ(stream.scale, 1000u);
    EXPECT_EQ(stream.rate, c.streamRate);
    EXPECT_EQ(stream.quality, 10000u);
    ASSERT_EQ(file.GetFormatSize(), 40);
    EXPECT_EQ(file.GetBitmapInfo().bitCount, 32);
    EXPECT_EQ(file.GetBitmapInfo().width, kWidth);
    // Every chunk a key frame "00dc": the index closes the file.
    const Bytes bytes = ReadAll(out_);
    ASSERT_GE(bytes.size(), c.frames * kIndexEntrySize);
    for (int32_t i = 0; i < c.frames; ++i) {
      const IndexEntry entry =
          LoadIndexEntry(bytes.data() + bytes.size() - (c.frames - i) * kIndexEntrySize);
      EXPECT_EQ(entry.chunkId, FourCC("00dc"));
      EXPECT_EQ(entry.flags, kIndexKeyFrame);
    }

    const auto frames = ReadBlocks(out_);
    ASSERT_EQ(frames.size(), static_cast<size_t>(c.frames));
    for (const auto& blocks : frames) {
      EXPECT_EQ(Tags(blocks),
                (std::vector<uint32_t>{kAlphaFieldBlock, kAlphaFieldBlock | kSecondFieldBit}));
    }
    ExpectWipe(frames, c.frames);
  }
}

TEST_F(ExportTransitionTest, CopiesVideoBlocksOfTheSourceAndDropsTheRest) {
  // Blocks an earlier export left (mask, alpha) and one of an unknown kind
  // sit between the two video fields.
  std::vector<Bytes> frames;
  std::vector<std::vector<Block>> video;
  for (uint32_t n = 0; n < 3; ++n) {
    const Block f1{kVideoFieldBlock, Bytes(20 + n, static_cast<uint8_t>(n + 1))};
    const Block f2{kVideoFieldBlock | kSecondFieldBit, Bytes(9 + n, static_cast<uint8_t>(n + 7))};
    Bytes frame = Le32(kDeviceFrameMagic);
    for (const Block& b :
         {f1, Block{kMaskFieldBlock, Bytes(5, 2)},
          Block{kAlphaFieldBlock | kSecondFieldBit, Bytes(6, 10)}, f2, Block{7, Bytes(3, 7)}}) {
      Append(frame, Le32(b.tag));
      Append(frame, Le32(static_cast<uint32_t>(b.payload.size())));
      Append(frame, b.payload);
    }
    frames.push_back(frame);
    video.push_back({f1, f2});
  }
  const std::string source = Source(frames);

  // 400 ms at the source's 25 frames a second: 10 frames, the source has 3.
  int32_t code = -1;
  ASSERT_TRUE(Export(source, 400, &code));
  const auto written = ReadBlocks(out_);
  ASSERT_EQ(written.size(), 10u);
  for (size_t i = 0; i < written.size(); ++i) {
    const size_t videoBlocks = i < 3 ? 2 : 0;
    ASSERT_EQ(written[i].size(), videoBlocks + 2) << i;
    if (i < 3) {
      EXPECT_EQ(std::vector<Block>(written[i].begin(), written[i].begin() + 2), video[i]) << i;
    }
  }
  ExpectWipe(written, 10);

  AVIVideoData file(out_);
  EXPECT_EQ(file.GetMainHeader().microSecPerFrame, 40000u);
  EXPECT_EQ(file.GetStreamHeader().rate, 25000u);
  EXPECT_EQ(file.GetStreamHeader().quality, 7777u);
  // The source's format, with 32 bits a pixel; the main header takes its
  // larger size.
  EXPECT_EQ(Bytes(file.GetFormat(), file.GetFormat() + file.GetFormatSize()),
            BitmapFormat(640, 480, kFourCCOrvt, 32));
  EXPECT_EQ(file.GetMainHeader().width, 640u);
  EXPECT_EQ(file.GetMainHeader().height, 480u);
}

TEST_F(ExportTransitionTest, UnusableSourceIsPassedOverSilently) {
  WriteAll(dir_.File("junk.avi"), Text("not an AVI file at all"));
  for (const std::string& source : {dir_.File("missing.avi"), dir_.File("junk.avi")}) {
    int32_t code = -1;
    EXPECT_TRUE(Export(source, 300, &code)) << source;
    EXPECT_EQ(code, kOk);
    const auto frames = ReadBlocks(out_);
    ASSERT_EQ(frames.size(), 9u);
    EXPECT_EQ(frames[4].size(), 2u);
  }
  EXPECT_TRUE(prompter_.messages.empty());
}

TEST_F(ExportTransitionTest, BadSourceFrameStopsWithTheSourceNameAndKeepsEarlierFrames) {
  Bytes runsPast = DeviceFrame(9);
  StoreLe32(runsPast.data() + 8, 33);  // one byte more than the frame holds
  Bytes trailing = DeviceFrame(9);
  trailing.push_back(1);  // a block header cut short
  const Bytes noMagic = Text("ORV2 some bytes");
  for (const Bytes& bad : {runsPast, trailing, noMagic}) {
    prompter_.messages.clear();
    const std::string source = Source({DeviceFrame(1), DeviceFrame(2), bad, DeviceFrame(4)});
    int32_t code = -1;
    EXPECT_FALSE(Export(source, 1000, &code));
    EXPECT_EQ(code, kErrBadFile);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].caption, "Write AVI");
    EXPECT_EQ(prompter_.messages[0].text, "Bad file '" + source + "'");
    const auto frames = ReadBlocks(out_);
    ASSERT_EQ(frames.size(), 2u);
    ExpectWipe(frames, 25);
  }
}

TEST_F(ExportTransitionTest, SourceFrameTheBuffersCannotHoldIsRefused) {
  // One frame larger than the source buffer, and one that fits it but leaves
  // the output no room for the alpha.
  for (const size_t size : {kSourceFrameCapacity + 1, kSourceFrameCapacity}) {
    prompter_.messages.clear();
    const std::string source = Source({DeviceFrame(1), DeviceFrame(2, size - 12)});
    int32_t code = -1;
    EXPECT_FALSE(Export(source, 1000, &code)) << size;
    EXPECT_EQ(code, kErrBadFile);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].text, "Bad file '" + source + "'");
    EXPECT_EQ(ReadBlocks(out_).size(), 1u);
  }
}

TEST_F(ExportTransitionTest, CancelKeepsTheFramesWrittenAndShowsNothing) {
  RecordingProgress progress;
  progress.cancelAt = 3;
  int32_t code = -1;
  EXPECT_FALSE(Export("", 500, &code, &progress));
  EXPECT_EQ(code, kErrCancelled);
  EXPECT_TRUE(prompter_.messages.empty());
  EXPECT_EQ(progress.opens, 1);
  EXPECT_EQ(progress.closes, 1);
  EXPECT_EQ(progress.caption, "Write AVI");
  EXPECT_EQ(progress.fileName, out_);
  EXPECT_EQ(progress.total, 15);
  EXPECT_TRUE(progress.cancelAllowed);
  EXPECT_EQ(progress.updates, (std::vector<int32_t>{1, 2, 3}));
  const auto frames = ReadBlocks(out_);
  ASSERT_EQ(frames.size(), 3u);
  ExpectWipe(frames, 15);
  EXPECT_EQ(dir_.Names().size(), 1u);
}

TEST_F(ExportTransitionTest, FailureLeavesTheEarlierFileAsItWas) {
  const Bytes earlier = Text("an earlier export");
  WriteAll(out_, earlier);
  RecordingProgress progress;
  // 3 ms are no frame at all: there is nothing to close.
  int32_t code = -1;
  EXPECT_FALSE(Export("", 3, &code, &progress));
  EXPECT_EQ(code, kErrCannotWrite);
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0].text, "Can not write file '" + out_ + "'");
  EXPECT_EQ(progress.closes, progress.opens);
  EXPECT_EQ(ReadAll(out_), earlier);
  EXPECT_EQ(dir_.Names().size(), 1u);

  // A folder that is not there: the writer cannot even start.
  prompter_.messages.clear();
  const std::string nowhere = dir_.File("no folder/out.avi");
  EXPECT_FALSE(ExportTransition(&progress, "", nowhere, 500, kNtscFrameRate, pattern_, kWidth,
                                kHeight, 48, &code));
  EXPECT_EQ(code, kErrNoFile);
  ASSERT_EQ(prompter_.messages.size(), 1u);
  EXPECT_EQ(prompter_.messages[0].text, "No file '" + nowhere + "'");
  EXPECT_EQ(progress.closes, progress.opens);
}

TEST_F(ExportTransitionTest, RefusesFramesTheBuffersCannotHold) {
  WriteAll(out_, Text("kept"));
  struct Case {
    int32_t width, height;
    size_t patternBytes;
  };
  const Case cases[] = {
      {769, 576, 769u * 576}, {768, 578, 768u * 578}, {0, 480, 0},
      {640, 1, 640},          {-640, 480, 0},         {80, 40, 80u * 40 - 1},
  };
  for (const Case& c : cases) {
    prompter_.messages.clear();
    const Bytes pattern(c.patternBytes, 128);
    int32_t code = -1;
    EXPECT_FALSE(ExportTransition(nullptr, "", out_, 1000, kNtscFrameRate, pattern, c.width,
                                  c.height, 48, &code))
        << c.width << "x" << c.height;
    EXPECT_EQ(code, kErrVideoParameters);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].caption, "Write AVI");
  }
  EXPECT_EQ(ReadAll(out_), Text("kept"));
  EXPECT_EQ(dir_.Names().size(), 1u);
}

// A source may claim any rate; the file it would make must still fit the
// 2 GB of an AVI file and the rate its headers. Refused before a byte is
// written, rather than at the limit after writing all of it.
TEST_F(ExportTransitionTest, RefusesRatesAndCountsNoFileCanHold) {
  const Bytes earlier = Text("kept");
  WriteAll(out_, earlier);
  auto sourceAt = [&](uint32_t rate, const std::string& name) {
    HandAvi avi = SimpleAvi({DeviceFrame(1)});
    avi.headers[0].rate = rate;
    avi.headers[0].scale = 1;
    WriteAll(dir_.File(name), avi.Build());
    return dir_.File(name);
  };
  const std::string million = sourceAt(1000000, "million.avi");
  const std::string fastest = sourceAt(0xFFFFFFFF, "fastest.avi");
  struct Case {
    const char* name;
    std::function<bool(ExportProgress*, int32_t*)> run;
  };
  const Case cases[] = {
      {"a million frames of a second",
       [&](ExportProgress* p, int32_t* code) {
         return ExportTransition(p, million, out_, 1000, kNtscFrameRate, pattern_, kWidth, kHeight,
                                 48, code);
       }},
      {"a rate past the headers, 3 ms",
       [&](ExportProgress* p, int32_t* code) {
         return ExportTransition(p, fastest, out_, 3, kNtscFrameRate, pattern_, kWidth, kHeight, 48,
                                 code);
       }},
      {"masks at a rate past the headers",
       [&](ExportProgress* p, int32_t* code) {
         std::string mask = dir_.File("m001.tga");
         return ExportMaskSequence(p, fastest, mask, out_, code);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    prompter_.messages.clear();
    RecordingProgress progress;
    int32_t code = -1;
    EXPECT_FALSE(c.run(&progress, &code));
    EXPECT_EQ(code, kErrVideoParameters);
    ASSERT_EQ(prompter_.messages.size(), 1u);
    EXPECT_EQ(prompter_.messages[0].caption, "Write AVI");
    EXPECT_EQ(prompter_.messages[0].text,
              "Invalid video parameters (f.e. width and height of image)");
    EXPECT_EQ(progress.opens, 0);
    EXPECT_EQ(ReadAll(out_), earlier);
  }
  EXPECT_EQ(dir_.Names().size(), 3u);
}

TEST_F(ExportTransitionTest, LargestFrameAndEdgeWidthsExportCleanly) {
  const Bytes pattern = TestPattern(768, 576);
  for (int32_t edgeWidth : {0, 255}) {
    ASSERT_TRUE(ExportTransition(nullptr, "", out_, 200, kNtscFrameRate, pattern, 768, 576,
                                 edgeWidth, nullptr));
    const auto frames = ReadBlocks(out_);
    ASSERT_EQ(frames.size(), 6u);
    for (size_t i = 0; i < frames.size(); ++i) {
      int32_t p1, p2;
      ExportFieldPositions(static_cast<int32_t>(i), 6, edgeWidth, p1, p2);
      EXPECT_EQ(DecodeAlphaBlock(frames[i][1], 768, 288),
                ExpectedAlpha(pattern.data() + 768 * 288, 768 * 288, p2, edgeWidth));
    }
  }
}

TEST_F(ExportTransitionTest, RepeatedExportsGiveTheSameBytes) {
  // The working buffers outlive every export; nothing of one may leak into
  // the next.
  ASSERT_TRUE(Export("", 700, nullptr));
  const Bytes first = ReadAll(out_);
  const Bytes other = TestPattern(768, 576);
  ASSERT_TRUE(ExportTransition(nullptr, "", dir_.File("other.avi"), 700, kNtscFrameRate, other, 768,
                               576, 200, nullptr));
  ASSERT_TRUE(Export("", 700, nullptr));
  EXPECT_EQ(ReadAll(out_), first);
}

}  // namespace
