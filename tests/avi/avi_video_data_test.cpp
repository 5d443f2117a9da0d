#include "avi/avi_video_data.h"

#include <gtest/gtest.h>

#include "support/error_codes.h"
#include "support/time_code.h"
#include "tests/avi/avi_test_support.h"

namespace {

using namespace avitest;

class AviVideoDataTest : public ::testing::Test {
 protected:
  std::string Write(const Bytes& bytes, const std::string& name = "in.avi") {
    const std::string path = dir_.File(name);
    WriteAll(path, bytes);
    return path;
  }
  // Every frame of the source, each read into a buffer of its own size.
  static std::vector<Bytes> AllFrames(AVIVideoData& source) {
    std::vector<Bytes> frames;
    for (int32_t i = 0; i < source.GetFrameCount(); ++i) {
      Bytes buffer(4096);
      int32_t size = 0;
      EXPECT_EQ(source.ReadFrame(i, buffer, size), kOk) << i;
      buffer.resize(static_cast<size_t>(size));
      frames.push_back(buffer);
    }
    return frames;
  }
  ScratchDir dir_;
  const std::vector<Bytes> frames_ = {DeviceFrame(1), DeviceFrame(2, 7), DeviceFrame(3, 100)};
};

TEST(VideoDataTest, PlainSourceGivesOneEmptyFrame) {
  VideoData plain(768, 576, kNtscFrameRate);
  EXPECT_EQ(plain.GetStatus(), kOk);
  EXPECT_EQ(plain.GetFrameCount(), 1);
  EXPECT_EQ(plain.GetFrameRate(), static_cast<double>(kNtscFrameRate));
  EXPECT_EQ(plain.GetHandler(), kFourCCOrvt);
  EXPECT_EQ(plain.GetQuality(), 10000);
  EXPECT_EQ(plain.GetFileName(), "");
  ASSERT_EQ(plain.GetFormatSize(), 40);
  EXPECT_EQ(Bytes(plain.GetFormat(), plain.GetFormat() + 40),
            BitmapFormat(768, 576, kFourCCOrvt, 32));
  EXPECT_EQ(VideoData().GetBitmapInfo().width, 640);

  Bytes buffer(8, 0xFF);
  int32_t size = 0;
  ASSERT_EQ(plain.ReadFrame(5, buffer, size), kOk);
  EXPECT_EQ(size, 4);
  EXPECT_EQ(LoadLe32(buffer.data()), kDeviceFrameMagic);
  Bytes tiny(3);
  EXPECT_EQ(plain.ReadFrame(0, tiny, size), kErrBadFile);
}

TEST_F(AviVideoDataTest, ReadsFramesAndHeaders) {
  HandAvi avi = SimpleAvi(frames_);
  avi.headers[0].quality = 7500;
  avi.headers[0].rate = 30000;
  avi.headers[0].scale = 1001;
  AVIVideoData source(Write(avi.Build()));
  ASSERT_EQ(source.GetStatus(), kOk);
  EXPECT_EQ(source.GetFrameCount(), 3);
  EXPECT_DOUBLE_EQ(source.GetFrameRate(), 30000.0 / 1001.0);
  EXPECT_EQ(source.GetQuality(), 7500);
  EXPECT_EQ(source.GetFormatSize(), 40);
  EXPECT_EQ(source.Origin(), FrameTableOrigin::kRelativeIndex);
  EXPECT_EQ(AllFrames(source), frames_);

  // Outside the table: the empty frame, never an error.
  for (int32_t n : {-1, 3, 1000}) {
    Bytes buffer(16);
    int32_t size = 0;
    ASSERT_EQ(source.ReadFrame(n, buffer, size), kOk);
    EXPECT_EQ(size, 4);
    EXPECT_EQ(LoadLe32(buffer.data()), kDeviceFrameMagic);
  }
  // A buffer one byte short refuses the frame instead of overrunning.
  Bytes exact(frames_[2].size());
  int32_t size = 0;
  EXPECT_EQ(source.ReadFrame(2, exact, size), kOk);
  Bytes shorter(frames_[2].size() - 1);
  EXPECT_EQ(source.ReadFrame(2, shorter, size), kErrBadFile);
}

TEST_F(AviVideoDataTest, AcceptsOrvdAndReportsOrvt) {
  AVIVideoData source(Write(SimpleAvi(frames_, kFourCCOrvd).Build()));
  ASSERT_EQ(source.GetStatus(), kOk);
  EXPECT_EQ(source.GetHandler(), kFourCCOrvt);
  EXPECT_EQ(source.GetBitmapInfo().compression, kFourCCOrvt);
  EXPECT_EQ(source.FrameIds(), (std::array<uint32_t, 4>{FourCC("00dc"), FourCC("00db"),
                                                        FourCC("00OR"), FourCC("00VT")}));
}

TEST_F(AviVideoDataTest, BadFrameFailsAlone) {
  std::vector<Bytes> frames = frames_;
  frames[1][0] = 'X';
  AVIVideoData source(Write(SimpleAvi(frames).Build()));
  ASSERT_EQ(source.GetStatus(), kOk);
  Bytes buffer(4096);
  int32_t size = 0;
  EXPECT_EQ(source.ReadFrame(0, buffer, size), kOk);
  EXPECT_EQ(source.ReadFrame(1, buffer, size), kErrBadFile);
  EXPECT_EQ(source.ReadFrame(2, buffer, size), kOk);
}

TEST_F(AviVideoDataTest, FindsFramesByEveryRoute) {
  // Video of stream 1 among audio chunks, "JUNK", and "rec " lists holding
  // "##db" and "##VT" chunks; some idx1 offsets relative, some absolute.
  HandAvi avi;
  avi.main.totalFrames = 4;
  avi.main.streams = 2;
  StreamHeader auds;
  auds.type = kFourCCAuds;
  auds.scale = 1;
  auds.rate = 8000;
  avi.headers = {auds, VideoStreamHeader()};
  avi.formats = {WaveFormat(8000, 2), BitmapFormat(320, 240)};
  avi.strhSize = kShortStreamHeaderSize;
  MoviBuilder movi;
  const std::vector<Bytes> frames = {DeviceFrame(10), DeviceFrame(11, 9), DeviceFrame(12),
                                     DeviceFrame(13, 1)};
  movi.Add(FourCC("00wb"), Bytes(50, 1));
  movi.Add(FourCC("01dc"), frames[0]);
  movi.AddUnindexed(Chunk(kFourCCJunk, Bytes(33, 0)));
  movi.Add(FourCC("00wb"), Bytes(20, 2));
  movi.Add(FourCC("01db"), frames[1]);
  MoviBuilder record;
  record.Add(FourCC("00wb"), Bytes(4, 3));
  record.Add(FourCC("01VT"), frames[2]);
  const uint32_t recordAt = static_cast<uint32_t>(4 + movi.contents.size());
  movi.AddUnindexed(List(FourCC("rec "), record.contents));
  movi.Add(FourCC("01dc"), frames[3]);
  movi.Add(FourCC("01dc"), DeviceFrame(99));  // beyond the frame count
  avi.movi = movi.contents;
  // The record's own entries count from its list type, 8 bytes after its
  // header in "movi".
  std::vector<IndexEntry> entries = movi.index;
  for (IndexEntry e : record.index) {
    e.offset += recordAt + 8;
    entries.insert(entries.end() - 2, e);
  }
  auto idx1 = [&](uint32_t add) {
    MoviBuilder m;
    m.index = entries;
    return m.Idx1(add);
  };

  struct Route {
    const char* name;
    uint32_t flags;
    bool withIdx1;
    uint32_t add;  // added to every idx1 offset
    FrameTableOrigin want;
  };
  const Route routes[] = {
      {"relative idx1", kAviHasIndex, true, 0, FrameTableOrigin::kRelativeIndex},
      {"absolute idx1", kAviHasIndex, true, avi.MoviListType(), FrameTableOrigin::kAbsoluteIndex},
      {"untrusted idx1", kAviHasIndex, true, 1u << 30, FrameTableOrigin::kMoviWalk},
      {"idx1 missing", kAviHasIndex, false, 0, FrameTableOrigin::kMoviWalk},
      {"no index flag", kAviIsInterleaved, true, 0, FrameTableOrigin::kMoviWalk},
  };
  for (const Route& r : routes) {
    SCOPED_TRACE(r.name);
    avi.main.flags = r.flags;
    avi.withIdx1 = r.withIdx1;
    avi.idx1 = idx1(r.add);
    AVIVideoData source(Write(avi.Build()));
    ASSERT_EQ(source.GetStatus(), kOk);
    EXPECT_EQ(source.StreamNumber(), 1);
    EXPECT_EQ(source.Origin(), r.want);
    EXPECT_EQ(AllFrames(source), frames);
    // The short header's rectangle fields past 56 bytes read as zero.
    EXPECT_EQ(source.GetStreamHeader().frameRight, 0);
    EXPECT_EQ(source.GetStreamHeader().frameBottom, 0);
  }
}

// An empty frame ("ORV1" alone, or a chunk of no bytes, which reads as one)
// as the last chunk of "movi": it ends exactly where "movi" does, and
// without idx1 where the file does.
TEST_F(AviVideoDataTest, ReadsALastFrameThatEndsExactlyAtTheEndOfMovi) {
  const Bytes empty = Le32(kDeviceFrameMagic);
  struct Case {
    const char* name;
    Bytes last;
    bool withIdx1;
    FrameTableOrigin want;
  } cases[] = {{"ORV1 alone, idx1", empty, true, FrameTableOrigin::kRelativeIndex},
               {"ORV1 alone, no idx1", empty, false, FrameTableOrigin::kMoviWalk},
               {"no bytes, idx1", {}, true, FrameTableOrigin::kRelativeIndex},
               {"no bytes, no idx1", {}, false, FrameTableOrigin::kMoviWalk}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    HandAvi avi = SimpleAvi({DeviceFrame(1), c.last});
    avi.withIdx1 = c.withIdx1;
    AVIVideoData source(Write(avi.Build()));
    ASSERT_EQ(source.GetStatus(), kOk);
    EXPECT_EQ(source.Origin(), c.want);
    EXPECT_EQ(AllFrames(source), (std::vector<Bytes>{DeviceFrame(1), empty}));
  }
}

TEST_F(AviVideoDataTest, RefusesMalformedFiles) {
  auto withMain = [&](auto change) {
    HandAvi avi = SimpleAvi(frames_);
    change(avi);
    return avi.Build();
  };
  const Bytes good = SimpleAvi(frames_).Build();
  const Bytes unindexed = withMain([](HandAvi& a) { a.main.flags = 0; });
  const uint32_t moviType = SimpleAvi(frames_).MoviListType();
  auto patched = [&](size_t at, uint32_t value, const Bytes& from) {
    Bytes b = from;
    StoreLe32(b.data() + at, value);
    return b;
  };
  struct Case {
    const char* name;
    Bytes file;
  };
  const Case cases[] = {
      {"empty file", {}},
      {"not RIFF", patched(0, FourCC("RIFX"), good)},
      {"not AVI", patched(8, FourCC("WAVE"), good)},
      {"hdrl past its parent", patched(16, static_cast<uint32_t>(good.size()), good)},
      {"avih too short", patched(28, 40, good)},
      {"strh past strl", patched(104, 500, good)},
      {"handler MJPG", withMain([](HandAvi& a) { a.headers[0].handler = FourCC("MJPG"); })},
      {"no video stream", withMain([](HandAvi& a) { a.headers[0].type = kFourCCAuds; })},
      {"no streams declared", withMain([](HandAvi& a) { a.main.streams = 0; })},
      {"rate zero", withMain([](HandAvi& a) { a.headers[0].rate = 0; })},
      {"format too short", withMain([](HandAvi& a) { a.formats[0].resize(16); })},
      {"more frames than the file holds",
       withMain([](HandAvi& a) { a.main.totalFrames = 0x10000000; })},
      {"more frames than the index", withMain([](HandAvi& a) { a.main.totalFrames = 4; })},
      {"walk runs out", withMain([](HandAvi& a) {
         a.main.totalFrames = 4;
         a.main.flags = 0;
       })},
      {"movi missing", patched(moviType, FourCC("mov2"), good)},
      {"frame chunk past movi", patched(moviType + 8, 100000, unindexed)},
      {"cut before its first whole frame", Bytes(good.begin(), good.begin() + moviType + 20)},
      {"movi past a form that ends before the file", [&] {
         Bytes b = patched(moviType - 4, 0xFFFFFFFF, unindexed);
         Append(b, Chunk(kFourCCJunk, Bytes(64, 0)));
         return b;
       }()},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AVIVideoData source(Write(c.file));
    EXPECT_EQ(source.GetStatus(), kErrBadFile);
    EXPECT_EQ(source.GetFrameCount(), 0);
    Bytes buffer(16);
    int32_t size = 0;
    EXPECT_EQ(source.ReadFrame(0, buffer, size), kErrBadFile);
  }
  EXPECT_EQ(AVIVideoData(dir_.File("absent.avi")).GetStatus(), kErrNoFile);
  EXPECT_EQ(AVIVideoData(dir_.Path().string()).GetStatus(), kErrNoFile);
}

// Recordings whose writer stopped: the machine lost power while the card
// recorded (sizes past the end, no index), or a muxer wrote to a pipe and
// could never patch a size (0 or 0xFFFFFFFF). What the file holds is read.
TEST_F(AviVideoDataTest, ReadsRecordingsWhoseWriterStopped) {
  const HandAvi indexed = SimpleAvi(frames_);
  const uint32_t moviType = indexed.MoviListType();
  const Bytes whole = indexed.Build();
  // The first byte of the third frame's chunk.
  const size_t third = moviType + 4 + Chunk(0, frames_[0]).size() + Chunk(0, frames_[1]).size();
  auto cut = [](const Bytes& from, size_t size) { return Bytes(from.begin(), from.begin() + size); };
  auto streamed = [&](uint32_t size, uint32_t totalFrames) {
    HandAvi avi = SimpleAvi(frames_);
    avi.withIdx1 = false;
    avi.main.totalFrames = totalFrames;
    Bytes b = avi.Build();
    StoreLe32(b.data() + 4, size);
    StoreLe32(b.data() + moviType - 4, size);
    return b;
  };
  // Every frame in a "rec " list of its own.
  HandAvi records = SimpleAvi(frames_);
  records.movi.clear();
  records.withIdx1 = false;
  for (const Bytes& f : frames_)
    Append(records.movi, List(FourCC("rec "), Chunk(FourCC("00dc"), f)));
  const Bytes inRecords = records.Build();

  struct Case {
    const char* name;
    Bytes file;
    size_t frames;
  };
  const Case cases[] = {
      {"cut in the third frame", cut(whole, third + 8 + 5), 2},
      {"cut in the third frame's chunk header", cut(whole, third + 4), 2},
      {"cut after the third frame, before idx1", cut(whole, third + Chunk(0, frames_[2]).size()),
       3},
      {"cut in the third record", cut(inRecords, inRecords.size() - 30), 2},
      {"RIFF past the end, file whole", [&] {
         Bytes b = whole;
         StoreLe32(b.data() + 4, static_cast<uint32_t>(b.size()));
         return b;
       }(),
       3},
      {"streamed, sizes 0", streamed(0, 0), 3},
      {"streamed, sizes 0xFFFFFFFF", streamed(0xFFFFFFFF, 0), 3},
      {"streamed, counting more frames than it holds", streamed(0xFFFFFFFF, 100000), 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AVIVideoData source(Write(c.file));
    ASSERT_EQ(source.GetStatus(), kOk);
    EXPECT_TRUE(source.IsUnfinished());
    EXPECT_EQ(source.Origin(), FrameTableOrigin::kMoviWalk);
    EXPECT_EQ(AllFrames(source), std::vector<Bytes>(frames_.begin(), frames_.begin() + c.frames));
  }
}

TEST_F(AviVideoDataTest, KeepsLongFileNamesWhole) {
  std::string folder = dir_.Path().string();
  while (folder.size() < 300)
    folder += "/" + std::string(60, 'd');
  fs::create_directories(folder);
  const std::string path = folder + "/source.avi";
  WriteAll(path, SimpleAvi(frames_).Build());
  AVIVideoData source(path);
  EXPECT_EQ(source.GetStatus(), kOk);
  EXPECT_EQ(source.GetFileName(), path);
}

// An OpenDML file: frames past the main header's count, reached through the
// super index in the stream's list and standard indexes anywhere in the file.
TEST_F(AviVideoDataTest, ReadsFramesThroughOpenDmlIndexes) {
  HandAvi avi = SimpleAvi({frames_[0], frames_[1]});
  const Bytes tail = Chunk(FourCC("00dc"), frames_[2]);
  // Two standard indexes: frames 0-1 inside "movi", frame 2 in a chunk after
  // the form, as in a second RIFF.
  auto standardIndex = [](uint64_t base, std::vector<std::pair<uint32_t, uint32_t>> entries) {
    Bytes b = {2, 0, 0, 1};  // wLongsPerEntry, bIndexSubType, bIndexType
    Append(b, Le32(static_cast<uint32_t>(entries.size())));
    Append(b, Le32(FourCC("00dc")));
    Append(b, Le32(static_cast<uint32_t>(base)));
    Append(b, Le32(static_cast<uint32_t>(base >> 32)));
    Append(b, Le32(0));
    for (auto [offset, size] : entries) {
      Append(b, Le32(offset));
      Append(b, Le32(size | 0x80000000u));  // not key frames: the flag is no size
    }
    return Chunk(FourCC("ix00"), b);
  };
  auto superIndex = [](std::vector<uint64_t> offsets) {
    Bytes b = {4, 0, 0, 0};
    Append(b, Le32(static_cast<uint32_t>(offsets.size())));
    Append(b, Le32(FourCC("00dc")));
    Append(b, Bytes(12, 0));
    for (uint64_t o : offsets) {
      Append(b, Le32(static_cast<uint32_t>(o)));
      Append(b, Le32(static_cast<uint32_t>(o >> 32)));
      Append(b, Le32(32));
      Append(b, Le32(1));
    }
    return Chunk(kFourCCIndx, b);
  };
  // Lay out once with a placeholder super index to learn the offsets.
  avi.strlExtras = {superIndex({0, 0})};
  const uint32_t moviType = avi.MoviListType();
  const uint32_t first = moviType + 4 + 8,
                 second = first + static_cast<uint32_t>(frames_[0].size()) + 8;
  avi.movi = Chunk(FourCC("00dc"), frames_[0]);
  Append(avi.movi, Chunk(FourCC("00dc"), frames_[1]));
  const Bytes ix1 =
      standardIndex(moviType, {{first - moviType, static_cast<uint32_t>(frames_[0].size())},
                               {second - moviType, static_cast<uint32_t>(frames_[1].size())}});
  Append(avi.movi, ix1);
  const uint64_t ix1At = moviType + 4 + avi.movi.size() - ix1.size();
  const uint64_t formEnd = avi.Build().size();
  const uint64_t ix2At = formEnd + tail.size();
  avi.strlExtras = {superIndex({ix1At, ix2At})};
  ASSERT_EQ(avi.MoviListType(), moviType);
  Bytes file = avi.Build();
  Append(file, tail);
  Append(file, standardIndex(formEnd + 8, {{0, static_cast<uint32_t>(frames_[2].size())}}));

  AVIVideoData source(Write(file));
  ASSERT_EQ(source.GetStatus(), kOk);
  EXPECT_EQ(source.Origin(), FrameTableOrigin::kOpenDmlIndex);
  EXPECT_EQ(source.GetMainHeader().totalFrames, 2u);
  EXPECT_EQ(AllFrames(source), frames_);

  // A standard index pointing past the file's end is refused.
  Bytes broken = file;
  StoreLe32(broken.data() + broken.size() - 8, static_cast<uint32_t>(file.size()));
  EXPECT_EQ(AVIVideoData(Write(broken, "broken.avi")).GetStatus(), kErrBadFile);
}

}  // namespace
