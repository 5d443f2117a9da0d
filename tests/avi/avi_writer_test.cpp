#include "avi/avi_writer.h"

#include <gtest/gtest.h>

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>

#include "avi/avi_video_data.h"
#include "support/error_codes.h"
#include "tests/avi/avi_test_support.h"

namespace {

using namespace avitest;

class AviWriterTest : public ::testing::Test {
 protected:
  // Creates a writer with one "vids" stream of the given format.
  std::unique_ptr<AviWriter> OneStream(const std::string& path, const Bytes& format,
                                       MainHeader main = {},
                                       StreamHeader sh = VideoStreamHeader()) {
    std::unique_ptr<AviWriter> w;
    EXPECT_EQ(AviWriterCreate(w, path, main), kOk);
    if (w) {
      EXPECT_EQ(AviWriterAddStream(*w, nullptr, sh, format.data(), format.size()), kOk);
    }
    return w;
  }
  ScratchDir dir_;
};

TEST_F(AviWriterTest, LaysOutOneStreamFileByteForByte) {
  const std::string path = dir_.File("one.avi");
  MainHeader main;
  main.microSecPerFrame = 40000;
  const Bytes format = BitmapFormat(640, 480);
  auto w = OneStream(path, format, main);
  const std::vector<Bytes> frames = {DeviceFrame(1, 4), DeviceFrame(2, 5), DeviceFrame(3, 8)};
  for (const Bytes& f : frames) {
    ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), kIndexKeyFrame), kOk);
  }
  ASSERT_EQ(AviWriterClose(w), kOk);
  EXPECT_EQ(w, nullptr);

  // The expected file, from the layout: headers, "JUNK" from 220 up to 4084,
  // "movi" at 4084 with the data at 4096, then "idx1".
  HandAvi avi;
  avi.main = main;
  avi.main.flags = kAviHasIndex;
  avi.main.totalFrames = 3;
  avi.main.streams = 1;
  avi.main.width = 640;
  avi.main.height = 480;
  avi.headers = {VideoStreamHeader()};
  avi.headers[0].length = 3;
  avi.formats = {format};
  Bytes form = avi.Headers();
  ASSERT_EQ(12 + form.size(), 220u);
  Append(form, Chunk(kFourCCJunk, Bytes(3856, 0)));
  MoviBuilder movi;
  for (const Bytes& f : frames)
    movi.Add(FourCC("00dc"), f);
  Append(form, List(kFourCCMovi, movi.contents));
  Append(form, Chunk(kFourCCIdx1, movi.Idx1()));
  const Bytes expected = List(kFourCCAvi, form, kFourCCRiff);

  const Bytes file = ReadAll(path);
  ASSERT_EQ(file.size(), expected.size());
  EXPECT_EQ(file, expected);
  EXPECT_EQ(LoadLe32(file.data() + 4084), kFourCCList);
  EXPECT_EQ(LoadLe32(file.data() + 4096), FourCC("00dc"));
  // The odd 17-byte frame is followed by a zero pad byte; the index keeps the
  // odd length and the next offset accounts for the pad: 4, 4 + 24, 28 + 26.
  EXPECT_EQ(movi.index[0].offset, 4u);
  EXPECT_EQ(movi.index[1].length, 17u);
  EXPECT_EQ(movi.index[2].offset, 54u);
  EXPECT_EQ(file[4096 + 24 + 8 + 17], 0);
}

TEST_F(AviWriterTest, AppliesStreamHeaderRules) {
  struct Case {
    const char* name;
    uint32_t type, rate, scale;
    Bytes format;
    uint32_t chunkSize, chunkFlags;
    uint32_t wantRate, wantScale, wantSampleSize, wantLength;
  };
  const Case cases[] = {
      {"rate 0", kFourCCVids, 0, 1000, BitmapFormat(8, 8), 10, 0, 15, 1, 0, 2},
      {"scale 0", kFourCCVids, 25000, 0, BitmapFormat(8, 8), 10, 0, 15, 1, 0, 2},
      {"kept", kFourCCVids, 30000, 1001, BitmapFormat(8, 8), 10, 0, 30000, 1001, 0, 2},
      {"no time", kFourCCVids, 25, 1, BitmapFormat(8, 8), 10, kIndexNoTime, 25, 1, 0, 0},
      {"other type", FourCC("txts"), 0, 0, Bytes(4, 0), 10, 0, 15, 1, 0, 2},
      {"auds", kFourCCAuds, 7, 7, WaveFormat(44100, 4), 1000, 0, 44100, 1, 4, 500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const std::string path = dir_.File("rules.avi");
    StreamHeader sh;
    sh.type = c.type;
    sh.rate = c.rate;
    sh.scale = c.scale;
    sh.sampleSize = 99;
    sh.length = 1234;
    std::unique_ptr<AviWriter> w;
    ASSERT_EQ(AviWriterCreate(w, path, MainHeader{}), kOk);
    ASSERT_EQ(AviWriterAddStream(*w, nullptr, sh, c.format.data(), c.format.size()), kOk);
    const Bytes data(c.chunkSize, 1);
    for (int i = 0; i < 2; ++i) {
      ASSERT_EQ(AviWriterWriteChunk(*w, 0, data.data(), data.size(), ChunkType("dc"), c.chunkFlags),
                kOk);
    }
    ASSERT_EQ(AviWriterClose(w), kOk);
    const Bytes file = ReadAll(path);
    ASSERT_EQ(LoadLe32(file.data() + 100), kFourCCStrh);
    const StreamHeader got = LoadStreamHeader(file.data() + 108);
    EXPECT_EQ(got.rate, c.wantRate);
    EXPECT_EQ(got.scale, c.wantScale);
    EXPECT_EQ(got.sampleSize, c.wantSampleSize);
    EXPECT_EQ(got.length, c.wantLength);
    // Total frames come from stream 0 whatever its type.
    EXPECT_EQ(LoadMainHeader(file.data() + 32).totalFrames, c.wantLength);
  }
}

TEST_F(AviWriterTest, FillsMainHeaderAtClose) {
  const std::string path = dir_.File("main.avi");
  MainHeader main;
  main.flags = kAviMustUseIndex | kAviIsInterleaved | kAviWasCaptureFile | 0x800;
  main.width = 768;
  main.height = 240;
  main.totalFrames = 77;
  main.initialFrames = 5;
  StreamHeader sh = VideoStreamHeader();
  sh.scale = 1000;
  sh.rate = 29970;
  auto w = OneStream(path, BitmapFormat(640, 480), main, sh);
  const Bytes f = DeviceFrame(0);
  ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), kIndexKeyFrame), kOk);
  ASSERT_EQ(AviWriterClose(w), kOk);
  const MainHeader got = LoadMainHeader(ReadAll(path).data() + 32);
  EXPECT_EQ(got.microSecPerFrame, 33367u);
  EXPECT_EQ(got.flags, kAviHasIndex | 0x800);
  EXPECT_EQ(got.totalFrames, 1u);
  EXPECT_EQ(got.initialFrames, 0u);
  // Raised to the format where it is larger, never lowered.
  EXPECT_EQ(got.width, 768u);
  EXPECT_EQ(got.height, 480u);
  EXPECT_EQ(got.streams, 1u);
}

TEST_F(AviWriterTest, MoviStartGrowsWithLargeFormats) {
  const std::string path = dir_.File("two.avi");
  std::unique_ptr<AviWriter> w;
  ASSERT_EQ(AviWriterCreate(w, path, MainHeader{}), kOk);
  Bytes big = BitmapFormat(16, 16);
  big.resize(1800, 0xAB);
  int32_t number = -1;
  for (int i = 0; i < 2; ++i) {
    ASSERT_EQ(AviWriterAddStream(*w, &number, VideoStreamHeader(), big.data(), big.size()), kOk);
    EXPECT_EQ(number, i);
  }
  const Bytes f = DeviceFrame(0);
  ASSERT_EQ(AviWriterWriteChunk(*w, 1, f.data(), f.size(), ChunkType("dc"), 0), kOk);
  EXPECT_EQ(w->moviStart, 4624u);
  // Streams are fixed once data is written.
  EXPECT_EQ(AviWriterAddStream(*w, nullptr, VideoStreamHeader(), big.data(), big.size()),
            kErrBadParameter);
  ASSERT_EQ(AviWriterClose(w), kOk);
  const Bytes file = ReadAll(path);
  EXPECT_EQ(LoadLe32(file.data() + 4612), kFourCCList);
  EXPECT_EQ(LoadLe32(file.data() + 4620), kFourCCMovi);
  EXPECT_EQ(LoadLe32(file.data() + 4624), FourCC("01dc"));
}

TEST_F(AviWriterTest, GrowsIndexPastItsFirstBlock) {
  const std::string path = dir_.File("many.avi");
  auto w = OneStream(path, BitmapFormat(8, 8));
  const Bytes f = DeviceFrame(0, 0);
  for (int i = 0; i < 257; ++i) {
    ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), kIndexKeyFrame), kOk);
  }
  EXPECT_EQ(w->index.capacity(), 512u);
  ASSERT_EQ(AviWriterClose(w), kOk);
  AVIVideoData source(path);
  ASSERT_EQ(source.GetStatus(), kOk);
  ASSERT_EQ(source.GetFrameCount(), 257);
  EXPECT_EQ(source.Frames().back().payloadOffset, 4096u + 256 * 20 + 8);
}

TEST_F(AviWriterTest, RefusesBadStreamsAndNamesChunks) {
  const std::string path = dir_.File("ids.avi");
  std::unique_ptr<AviWriter> w;
  ASSERT_EQ(AviWriterCreate(w, path, MainHeader{}), kOk);
  const Bytes format = BitmapFormat(8, 8);
  for (int i = 0; i < kAviMaxStreams; ++i) {
    ASSERT_EQ(AviWriterAddStream(*w, nullptr, VideoStreamHeader(), format.data(), format.size()),
              kOk);
  }
  EXPECT_EQ(AviWriterAddStream(*w, nullptr, VideoStreamHeader(), format.data(), format.size()),
            kErrBadParameter);
  EXPECT_EQ(w->mainHeader.streams, 16u);
  // Formats too short for the fields read from them are refused.
  StreamHeader auds;
  auds.type = kFourCCAuds;
  const Bytes shortWave(8, 0);

  const Bytes f = DeviceFrame(0);
  EXPECT_EQ(AviWriterWriteChunk(*w, 16, f.data(), f.size(), ChunkType("dc"), 0), kErrBadParameter);
  EXPECT_EQ(AviWriterWriteChunk(*w, -1, f.data(), f.size(), ChunkType("dc"), 0), kErrBadParameter);
  ASSERT_EQ(AviWriterWriteChunk(*w, 10, f.data(), f.size(), ChunkType("wb"), 0), kOk);
  ASSERT_EQ(AviWriterWriteChunk(*w, 15, f.data(), f.size(), 0x0A41, 0), kOk);  // "A\n"
  EXPECT_EQ(w->index[0].chunkId, FourCC("0Awb"));
  EXPECT_EQ(w->index[1].chunkId, FourCC("0Fxx"));
  EXPECT_EQ(StreamChunkId(26, 'w', 'b'), FourCC("1Awb"));
  AviWriterAbandon(w);

  ASSERT_EQ(AviWriterCreate(w, path, MainHeader{}), kOk);
  EXPECT_EQ(AviWriterAddStream(*w, nullptr, auds, shortWave.data(), shortWave.size()),
            kErrBadParameter);
  EXPECT_EQ(AviWriterAddStream(*w, nullptr, VideoStreamHeader(), nullptr, 40), kErrBadParameter);
  EXPECT_EQ(w->mainHeader.streams, 0u);
  AviWriterAbandon(w);
  EXPECT_TRUE(dir_.Names().empty());
}

TEST_F(AviWriterTest, CloseWithoutChunksFailsAndKeepsOldFile) {
  const std::string path = dir_.File("old.avi");
  WriteAll(path, Text("previous contents"));
  auto w = OneStream(path, BitmapFormat(8, 8));
  EXPECT_EQ(AviWriterClose(w), kErrCannotWrite);
  EXPECT_EQ(w, nullptr);
  EXPECT_EQ(ReadAll(path), Text("previous contents"));
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"old.avi"});
  EXPECT_EQ(AviWriterClose(w), kErrBadParameter);
}

TEST_F(AviWriterTest, ReplacesTargetOnlyOnClose) {
  const std::string path = dir_.File("target.avi");
  WriteAll(path, Text("previous contents"));
  chmod(path.c_str(), 0640);
  auto w = OneStream(path, BitmapFormat(8, 8));
  const Bytes f = DeviceFrame(0);
  ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), 0), kOk);
  EXPECT_EQ(ReadAll(path), Text("previous contents"));
  AviWriterAbandon(w);
  EXPECT_EQ(ReadAll(path), Text("previous contents"));
  EXPECT_EQ(dir_.Names().size(), 1u);

  w = OneStream(path, BitmapFormat(8, 8));
  ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), 0), kOk);
  ASSERT_EQ(AviWriterClose(w), kOk);
  EXPECT_EQ(AVIVideoData(path).GetFrameCount(), 1);
  struct stat st {};
  ASSERT_EQ(stat(path.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  EXPECT_EQ(dir_.Names().size(), 1u);
}

TEST_F(AviWriterTest, ReplacesFileBehindSymbolicLink) {
  const std::string real = dir_.File("real.avi"), link = dir_.File("link.avi");
  WriteAll(real, Text("previous contents"));
  fs::create_symlink(real, link);
  auto w = OneStream(link, BitmapFormat(8, 8));
  const Bytes f = DeviceFrame(0);
  ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), 0), kOk);
  ASSERT_EQ(AviWriterClose(w), kOk);
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(AVIVideoData(real).GetFrameCount(), 1);
}

TEST_F(AviWriterTest, ReadsSourceThatIsRewrittenAsOutput) {
  const std::string path = dir_.File("self.avi");
  WriteAll(path, SimpleAvi({DeviceFrame(1), DeviceFrame(2), DeviceFrame(3)}).Build());
  AVIVideoData source(path);
  ASSERT_EQ(source.GetStatus(), kOk);
  auto w = OneStream(path, BitmapFormat(8, 8));
  Bytes buffer(1024);
  for (int i = 0; i < 3; ++i) {
    int32_t size = 0;
    ASSERT_EQ(source.ReadFrame(i, buffer, size), kOk);
    buffer.resize(size);
    EXPECT_EQ(buffer, DeviceFrame(i + 1));
    buffer.push_back(0xEE);  // each output frame differs from its source
    ASSERT_EQ(AviWriterWriteChunk(*w, 0, buffer.data(), buffer.size(), ChunkType("dc"), 0), kOk);
    buffer.resize(1024);
  }
  ASSERT_EQ(AviWriterClose(w), kOk);
  AVIVideoData rewritten(path);
  ASSERT_EQ(rewritten.GetStatus(), kOk);
  EXPECT_EQ(rewritten.Frames()[2].length, DeviceFrame(3).size() + 1);
}

TEST_F(AviWriterTest, WriteFailureRemovesPartialFile) {
  const std::string path = dir_.File("full.avi");
  WriteAll(path, Text("previous contents"));
  auto w = OneStream(path, BitmapFormat(8, 8));
  // A file size limit makes the disk "full" at 64 KB.
  std::signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  getrlimit(RLIMIT_FSIZE, &old);
  rlimit small = old;
  small.rlim_cur = 64 * 1024;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const Bytes frame(40000, 7);
  int32_t code = kOk;
  for (int i = 0; i < 20 && code == kOk; ++i) {
    code = AviWriterWriteChunk(*w, 0, frame.data(), frame.size(), ChunkType("dc"), 0);
  }
  EXPECT_EQ(code, kErrCannotWrite);
  // The failure sticks; closing does not turn the broken file into a target.
  EXPECT_EQ(AviWriterWriteChunk(*w, 0, frame.data(), 2, ChunkType("dc"), 0), kErrCannotWrite);
  EXPECT_EQ(AviWriterClose(w), kErrCannotWrite);
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_EQ(ReadAll(path), Text("previous contents"));
  EXPECT_EQ(dir_.Names(), std::vector<std::string>{"full.avi"});
}

TEST_F(AviWriterTest, RefusesChunkPastRiffLimitAndStaysUsable) {
  const std::string path = dir_.File("limit.avi");
  auto w = OneStream(path, BitmapFormat(8, 8));
  const Bytes f = DeviceFrame(0, 4);  // 16 bytes
  ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), 0), kOk);
  // The RIFF size would be the 4112 bytes after its header so far, the new
  // chunk's 8 + size (+ pad) and "idx1" with two entries (8 + 32): the
  // largest chunk that keeps it in range is even.
  const uint64_t largest = kRiffMaxSize - 4112 - 8 - 40 - 1;
  // A mapping that faults on any read proves nothing is touched.
  const size_t mapped = static_cast<size_t>(largest) + 2;
  void* guard =
      mmap(nullptr, mapped, PROT_NONE, MAP_PRIVATE | MAP_ANONYMOUS | MAP_NORESERVE, -1, 0);
  ASSERT_NE(guard, MAP_FAILED);
  for (uint64_t size : {largest + 1, largest + 2, uint64_t{UINT32_MAX}}) {
    EXPECT_EQ(AviWriterWriteChunk(*w, 0, guard, static_cast<uint32_t>(size), ChunkType("dc"), 0),
              kErrCannotWrite)
        << size;
  }
  munmap(guard, mapped);
  ASSERT_EQ(AviWriterWriteChunk(*w, 0, f.data(), f.size(), ChunkType("dc"), 0), kOk);
  ASSERT_EQ(AviWriterClose(w), kOk);
  EXPECT_EQ(AVIVideoData(path).GetFrameCount(), 2);
}

TEST_F(AviWriterTest, CreateFailsWhereNoFileCanBe) {
  std::unique_ptr<AviWriter> w;
  EXPECT_EQ(AviWriterCreate(w, dir_.File("missing/out.avi"), MainHeader{}), kErrNoFile);
  EXPECT_EQ(AviWriterCreate(w, dir_.Path().string(), MainHeader{}), kErrNoFile);
  EXPECT_EQ(AviWriterCreate(w, "", MainHeader{}), kErrNoFile);
  EXPECT_EQ(w, nullptr);
}

}  // namespace
