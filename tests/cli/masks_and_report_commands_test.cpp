#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "avi/avi_video_data.h"
#include "avi/avi_writer.h"
#include "avi/device_frame.h"
#include "support/error_codes.h"
#include "tests/avi/avi_test_support.h"
#include "tests/cli/cli_run.h"
#include "tests/cli/mask_files.h"
#include "wipe/targa_writer.h"

namespace {

using namespace clitest;

// Mask n: grey level of picture line m, column x.
uint8_t MaskGrey(int n, int m, int x) {
  return static_cast<uint8_t>(n * 40 + m * 2 + x);
}

// Lines first, first + 2, ... of mask n, 64 of them.
std::string MaskField(int n, int first, int width) {
  std::string lines;
  for (int m = first; m < 128; m += 2)
    for (int x = 0; x < width; ++x)
      lines.push_back(static_cast<char>(MaskGrey(n, m, x)));
  return lines;
}

// A frame's blocks, as (tag, length).
std::vector<std::pair<uint32_t, size_t>> Layout(const fs::path& avi, int32_t frame) {
  AVIVideoData file(avi.string());
  std::vector<uint8_t> buffer(kSourceFrameCapacity);
  int32_t size = 0;
  EXPECT_EQ(file.ReadFrame(frame, buffer, size), kOk);
  FrameBlockWalker walker(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(size)));
  FrameBlock block;
  std::vector<std::pair<uint32_t, size_t>> layout;
  while (walker.Next(block))
    layout.emplace_back(block.header.tag, block.payload.size());
  return layout;
}

TEST(MakeSourceCommandTest, WritesACardRecordingOfJpegFields) {
  CliFolder dir;
  for (const auto& [standard, width, lines] :
       {std::tuple{"ntsc", 640, 240}, std::tuple{"pal", 768, 288}}) {
    const CliResult r = dir.Run(std::string("make-source --frames 3 --standard ") + standard +
                                " -o " + Quote(dir / "s.avi"));
    ASSERT_EQ(r.status, 0) << r.err;
    AVIVideoData file((dir / "s.avi").string());
    ASSERT_EQ(file.GetStatus(), kOk);
    EXPECT_EQ(file.GetFrameCount(), 3);
    EXPECT_EQ(file.GetBitmapInfo().width, width);
    std::vector<uint8_t> buffer(kSourceFrameCapacity);
    std::vector<uint8_t> previous;
    for (int32_t i = 0; i < 3; ++i) {
      int32_t size = 0;
      ASSERT_EQ(file.ReadFrame(i, buffer, size), kOk);
      FrameBlockWalker walker(std::span<const uint8_t>(buffer.data(), static_cast<size_t>(size)));
      FrameBlock block;
      std::vector<uint32_t> tags;
      while (walker.Next(block)) {
        tags.push_back(block.header.tag);
        if (block.header.Type() != kVideoFieldBlock)
          continue;
        // A baseline JPEG of one field: start and end markers, and the
        // frame header's size.
        const auto& p = block.payload;
        ASSERT_GT(p.size(), 200u);
        EXPECT_EQ(p[0], 0xFF);
        EXPECT_EQ(p[1], 0xD8);
        EXPECT_EQ(p[p.size() - 2], 0xFF);
        EXPECT_EQ(p[p.size() - 1], 0xD9);
        for (size_t k = 2; k + 8 < p.size(); ++k) {
          if (p[k] == 0xFF && p[k + 1] == 0xC0) {
            EXPECT_EQ(p[k + 5] << 8 | p[k + 6], lines);
            EXPECT_EQ(p[k + 7] << 8 | p[k + 8], width);
            break;
          }
        }
      }
      EXPECT_EQ(tags, (std::vector<uint32_t>{kVideoFieldBlock, kAlphaFieldBlock,
                                             kVideoFieldBlock | kSecondFieldBit}));
      // The picture moves: no two frames alike.
      std::vector<uint8_t> frame(buffer.begin(), buffer.begin() + size);
      EXPECT_NE(frame, previous);
      previous = frame;
    }
  }
  EXPECT_NE(dir.Run("make-source --frames 0 -o " + Quote(dir / "z.avi")).status, 0);
  EXPECT_NE(dir.Run("make-source --frames 2").status, 0);
  EXPECT_FALSE(fs::exists(dir / "z.avi"));
}

TEST(MasksCommandTest, CombinesTheSourceWithMasksFromAFolderWithADot) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("make-source --frames 5 -o " + Quote(dir / "s.avi")).status, 0);
  WriteMasks(dir / "clips.old", 3, 40, MaskGrey);
  const CliResult r =
      dir.Run("masks --source " + Quote(dir / "s.avi") + " --first-mask " +
              Quote(dir / "clips.old" / "m001.tga") + " -o " + Quote(dir / "m.avi"));
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.out.find("3 frames"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find((dir / "clips.old" / "m004.tga").string()), std::string::npos) << r.out;

  AVIVideoData file((dir / "m.avi").string());
  ASSERT_EQ(file.GetFrameCount(), 3);
  const auto layout = Layout(dir / "m.avi", 2);
  ASSERT_EQ(layout.size(), 4u);
  EXPECT_EQ(layout[0].first, kVideoFieldBlock);
  EXPECT_EQ(layout[1].first, kVideoFieldBlock | kSecondFieldBit);
  EXPECT_EQ(layout[2], std::make_pair(kMaskFieldBlock, size_t{40 * 64}));
  EXPECT_EQ(layout[3], std::make_pair(kMaskFieldBlock | kSecondFieldBit, size_t{40 * 64}));

  // inspect lays the mask blocks out as pictures.
  const CliResult shown =
      dir.Run("inspect " + Quote(dir / "m.avi") + " --alpha-dir " + Quote(dir / "pictures"));
  ASSERT_EQ(shown.status, 0) << shown.err;
  EXPECT_NE(shown.out.find("type  2 mask   field 2  length 2560"), std::string::npos) << shown.out;
  for (int frame = 0; frame < 3; ++frame) {
    for (int field = 0; field < 2; ++field) {
      char name[40];
      std::snprintf(name, sizeof name, "frame%04d-mask-f%d.pgm", frame, field + 1);
      int w = 0, h = 0;
      std::string pixels;
      ASSERT_TRUE(ReadPgm(dir / "pictures" / name, w, h, pixels)) << name;
      EXPECT_EQ(w, 40);
      EXPECT_EQ(h, 64);
      EXPECT_TRUE(pixels == MaskField(frame + 1, field, 40)) << name;
    }
  }
}

TEST(MasksCommandTest, FailuresExitNonZero) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("make-source --frames 2 -o " + Quote(dir / "s.avi")).status, 0);
  const CliResult missing = dir.Run("masks --source " + Quote(dir / "s.avi") + " --first-mask " +
                                    Quote(dir / "m001.tga") + " -o " + Quote(dir / "m.avi"));
  EXPECT_EQ(missing.status, 1);
  EXPECT_NE(missing.err.find("Write AVI: No file '" + (dir / "m001.tga").string() + "'"),
            std::string::npos)
      << missing.err;
  WriteMasks(dir.Path(), 1, 16, MaskGrey);
  const CliResult noSource =
      dir.Run("masks --source " + Quote(dir / "none.avi") + " --first-mask " +
              Quote(dir / "m001.tga") + " -o " + Quote(dir / "m.avi"));
  EXPECT_EQ(noSource.status, 1);
  EXPECT_NE(noSource.err.find("Open AVI: No file"), std::string::npos) << noSource.err;
  EXPECT_NE(dir.Run("masks --first-mask " + Quote(dir / "m001.tga") + " -o x.avi").status, 0);
  EXPECT_FALSE(fs::exists(dir / "m.avi"));
}

TEST(InspectCommandTest, ListsHeadersAndBlocks) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("make-source --frames 2 --standard pal -o " + Quote(dir / "s.avi")).status, 0);
  const CliResult r = dir.Run("inspect " + Quote(dir / "s.avi"));
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* line : {"microseconds/frame 40000", "total frames 2", "size 768x576",
                           "vids ORVT", "scale 1000  rate 25000", "768x576  24 bits", "frames   2",
                           "frame 0001", "type 10 alpha  field 1  length 1084"}) {
    EXPECT_NE(r.out.find(line), std::string::npos) << line << "\n" << r.out;
  }
}

TEST(InspectCommandTest, FileItCannotParseGetsTheReadersMessage) {
  CliFolder dir;
  std::ofstream(dir / "junk.avi") << "RIFF....AVI nothing more";
  struct Case {
    fs::path file;
    std::string message;
  };
  const Case cases[] = {
      {dir / "none.avi", "Open AVI: No file '" + (dir / "none.avi").string() + "'"},
      {dir / "junk.avi", "Open AVI: Bad file '" + (dir / "junk.avi").string() + "'"},
  };
  for (const Case& c : cases) {
    const CliResult r = dir.Run("inspect " + Quote(c.file));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
}

TEST(InspectCommandTest, AlphaFieldThatDoesNotDecodeIsReported) {
  CliFolder dir;
  // A frame whose alpha block holds the lead and a few bytes of nothing.
  std::vector<uint8_t> frame(kDeviceFrameMagicSize + kFrameBlockHeaderSize + kAlphaLeadBytes + 16);
  DeviceFrameBuilder builder(frame);
  std::vector<uint8_t> payload(kAlphaLeadBytes + 8, 0);
  payload[kAlphaLeadBytes] = 0x44;
  ASSERT_EQ(builder.AppendBlock(kAlphaFieldBlock, payload), kOk);
  std::unique_ptr<AviWriter> writer;
  MainHeader main;
  ASSERT_EQ(AviWriterCreate(writer, (dir / "bad.avi").string(), main), kOk);
  StreamHeader stream;
  stream.type = kFourCCVids;
  stream.handler = kFourCCOrvt;
  BitmapInfoHeader bitmap;
  bitmap.width = 64;
  bitmap.height = 32;
  std::vector<uint8_t> format(kBitmapInfoSize, 0);
  StoreBitmapInfoHeader(bitmap, format);
  ASSERT_EQ(AviWriterAddStream(*writer, nullptr, stream, format.data(), format.size()), kOk);
  ASSERT_EQ(AviWriterWriteChunk(*writer, 0, builder.Frame().data(), builder.Size(), ChunkType("dc"),
                                kIndexKeyFrame),
            kOk);
  ASSERT_EQ(AviWriterClose(writer), kOk);

  EXPECT_EQ(dir.Run("inspect " + Quote(dir / "bad.avi")).status, 0);
  const CliResult r =
      dir.Run("inspect " + Quote(dir / "bad.avi") + " --alpha-dir " + Quote(dir / "a"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("frame 0: the alpha block at offset 4 does not decode"), std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("Open AVI: Bad file"), std::string::npos) << r.err;
}

// A recording carries a stray block that is not alpha; inspection shows it
// and goes on to the end.
TEST(InspectCommandTest, AlphaDirGoesOnPastBlocksThatDoNotDecode) {
  CliFolder dir;
  ASSERT_EQ(dir.Run("make-source --frames 3 -o " + Quote(dir / "s.avi")).status, 0);
  const CliResult r =
      dir.Run("inspect " + Quote(dir / "s.avi") + " --alpha-dir " + Quote(dir / "a"));
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.out.find("frame 0002"), std::string::npos) << r.out;
  for (const char* line : {"frame 0: the alpha block", "frame 2: the alpha block",
                           "inspect: 3 blocks do not decode and have no picture\n",
                           "Open AVI: Bad file"}) {
    EXPECT_NE(r.err.find(line), std::string::npos) << line << "\n" << r.err;
  }
}

// An index may list one chunk for many frames, or chunks that overlap; a
// file of a few megabytes must not make inspect read gigabytes.
TEST(InspectCommandTest, ReadsNoChunkTwiceAndNoMoreThanAFewTimesTheFile) {
  using namespace avitest;
  CliFolder dir;
  // "ORV1" and kBlocks video blocks: every prefix that ends at a block is a
  // frame of its own.
  constexpr uint32_t kBlocks = 16, kBlockBytes = 64 * 1024;
  Bytes chunk = Le32(kDeviceFrameMagic);
  for (uint32_t b = 0; b < kBlocks; ++b) {
    Append(chunk, Le32(kVideoFieldBlock));
    Append(chunk, Le32(kBlockBytes));
    chunk.resize(chunk.size() + kBlockBytes, static_cast<uint8_t>(b));
  }
  auto fileWith = [&](uint32_t frames, auto lengthOf) {
    HandAvi avi = SimpleAvi({chunk});
    avi.main.totalFrames = frames;
    MoviBuilder movi;
    movi.Add(FourCC("00dc"), chunk);
    const IndexEntry first = movi.index[0];
    movi.index.clear();
    for (uint32_t i = 0; i < frames; ++i)
      movi.index.push_back(IndexEntry{first.chunkId, first.flags, first.offset, lengthOf(i)});
    avi.idx1 = movi.Idx1();
    return avi.Build();
  };
  const uint32_t whole = static_cast<uint32_t>(chunk.size());
  WriteAll((dir / "repeated.avi").string(), fileWith(3000, [&](uint32_t) { return whole; }));
  WriteAll((dir / "overlapping.avi").string(), fileWith(kBlocks, [&](uint32_t i) {
             return whole - i * (8 + kBlockBytes);
           }));

  const CliResult repeated = dir.Run("inspect " + Quote(dir / "repeated.avi"));
  EXPECT_EQ(repeated.status, 0) << repeated.err;
  EXPECT_NE(repeated.out.find("frame 2999  " + std::to_string(whole) +
                              " bytes  the same chunk as frame 0000\n"),
            std::string::npos);
  EXPECT_NE(repeated.err.find("the index repeats itself: 2999 frames"), std::string::npos)
      << repeated.err;

  const CliResult overlapping = dir.Run("inspect " + Quote(dir / "overlapping.avi"));
  EXPECT_EQ(overlapping.status, 1);
  EXPECT_NE(overlapping.err.find("the index points at overlapping chunks, and reading on would "
                                 "pass 4 times the file's size"),
            std::string::npos)
      << overlapping.err;
  EXPECT_NE(overlapping.out.find("frame 0003"), std::string::npos);
  EXPECT_EQ(overlapping.out.find("frame 0006"), std::string::npos);
}

}  // namespace
