#pragma once

// Building blocks for AVI tests: a scratch folder, whole-file reads and
// writes, device frames with recognisable payloads, and a builder that lays
// out AVI files by hand so the reader can be fed shapes our writer never
// produces.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "avi/avi_format.h"
#include "avi/device_frame.h"

namespace avitest {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

class ScratchDir {
 public:
  ScratchDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    // The process id keeps two test runs at once (two builds, two checkouts)
    // out of each other's files.
    path_ = fs::temp_directory_path() / ("orvane_avi_" + std::string(info->test_suite_name()) +
                                         "_" + info->name() + "_" + std::to_string(getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~ScratchDir() { fs::remove_all(path_); }
  std::string File(const std::string& name) const { return (path_ / name).string(); }
  const fs::path& Path() const { return path_; }
  // Names in the folder, to see that no temporary file was left behind.
  std::vector<std::string> Names() const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(path_))
      names.push_back(e.path().filename());
    return names;
  }

 private:
  fs::path path_;
};

inline Bytes ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteAll(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
}

inline void Append(Bytes& to, const Bytes& more) {
  to.insert(to.end(), more.begin(), more.end());
}

inline Bytes Le32(uint32_t v) {
  Bytes b(4);
  StoreLe32(b.data(), v);
  return b;
}

inline Bytes Text(const char* s) {
  return Bytes(s, s + std::char_traits<char>::length(s));
}

inline Bytes Chunk(uint32_t id, const Bytes& payload) {
  Bytes b = Le32(id);
  Append(b, Le32(static_cast<uint32_t>(payload.size())));
  Append(b, payload);
  if (payload.size() % 2)
    b.push_back(0);
  return b;
}

inline Bytes List(uint32_t type, const Bytes& contents, uint32_t id = kFourCCList) {
  Bytes payload = Le32(type);
  Append(payload, contents);
  return Chunk(id, payload);
}

// "ORV1" and one video field block whose payload depends on seed.
inline Bytes DeviceFrame(uint32_t seed, size_t payloadSize = 32) {
  Bytes f = Le32(kDeviceFrameMagic);
  Append(f, Le32(kVideoFieldBlock));
  Append(f, Le32(static_cast<uint32_t>(payloadSize)));
  for (size_t i = 0; i < payloadSize; ++i)
    f.push_back(static_cast<uint8_t>(seed * 31 + i * 7));
  return f;
}

inline Bytes BitmapFormat(int32_t width, int32_t height, uint32_t compression = kFourCCOrvt,
                          uint16_t bitCount = 24) {
  Bytes f(kBitmapInfoSize, 0);
  StoreBitmapInfoHeader(MakeBitmapInfoHeader(width, height, bitCount, compression), f);
  return f;
}

inline Bytes WaveFormat(uint32_t samplesPerSec, uint16_t blockAlign) {
  Bytes f(16, 0);
  StoreLe16(f.data(), 1);      // PCM
  StoreLe16(f.data() + 2, 2);  // channels
  StoreLe32(f.data() + kWaveSamplesPerSecOffset, samplesPerSec);
  StoreLe16(f.data() + kWaveBlockAlignOffset, blockAlign);
  return f;
}

inline StreamHeader VideoStreamHeader(uint32_t handler = kFourCCOrvt) {
  StreamHeader h;
  h.type = kFourCCVids;
  h.handler = handler;
  h.scale = 1000;
  h.rate = 25000;
  h.quality = 10000;
  return h;
}

// The chunks of a "movi" list with the "idx1" entries that describe them,
// offsets counted from the list type.
struct MoviBuilder {
  Bytes contents;
  std::vector<IndexEntry> index;

  void Add(uint32_t id, const Bytes& payload) {
    index.push_back(IndexEntry{id, kIndexKeyFrame, static_cast<uint32_t>(4 + contents.size()),
                               static_cast<uint32_t>(payload.size())});
    Append(contents, Chunk(id, payload));
  }
  // Bytes that no index entry points at ("JUNK", "rec " lists).
  void AddUnindexed(const Bytes& bytes) { Append(contents, bytes); }

  Bytes Idx1(uint32_t add = 0) const {
    Bytes b;
    for (IndexEntry e : index) {
      e.offset += add;
      Bytes entry(kIndexEntrySize);
      StoreIndexEntry(e, entry.data());
      Append(b, entry);
    }
    return b;
  }
};

// An AVI file laid out by hand: hdrl with avih and one strl per stream,
// then "movi", then "idx1" when given.
struct HandAvi {
  MainHeader main;
  std::vector<StreamHeader> headers;
  std::vector<Bytes> formats;
  std::vector<Bytes> strlExtras;  // per stream, after "strf"
  size_t strhSize = kStreamHeaderSize;
  Bytes hdrlExtra;  // after the last "strl"
  Bytes movi;
  bool withIdx1 = false;
  Bytes idx1;

  Bytes Headers() const {
    uint8_t avih[kMainHeaderSize];
    StoreMainHeader(main, avih);
    Bytes hdrl = Chunk(kFourCCAvih, Bytes(avih, avih + sizeof avih));
    for (size_t i = 0; i < headers.size(); ++i) {
      uint8_t strh[kStreamHeaderSize];
      StoreStreamHeader(headers[i], strh);
      Bytes strl = Chunk(kFourCCStrh, Bytes(strh, strh + strhSize));
      Append(strl, Chunk(kFourCCStrf, formats[i]));
      if (i < strlExtras.size())
        Append(strl, strlExtras[i]);
      Append(hdrl, List(kFourCCStrl, strl));
    }
    Append(hdrl, hdrlExtra);
    return List(kFourCCHdrl, hdrl);
  }
  // File offset of the "movi" list type.
  uint32_t MoviListType() const { return static_cast<uint32_t>(12 + Headers().size() + 8); }
  Bytes Build() const {
    Bytes form = Headers();
    Append(form, List(kFourCCMovi, movi));
    if (withIdx1)
      Append(form, Chunk(kFourCCIdx1, idx1));
    return List(kFourCCAvi, form, kFourCCRiff);
  }
};

// One video stream of frames, indexed relative to "movi".
inline HandAvi SimpleAvi(const std::vector<Bytes>& frames, uint32_t handler = kFourCCOrvt) {
  HandAvi avi;
  avi.main.totalFrames = static_cast<uint32_t>(frames.size());
  avi.main.flags = kAviHasIndex;
  avi.main.streams = 1;
  avi.headers = {VideoStreamHeader(handler)};
  avi.formats = {BitmapFormat(640, 480, handler)};
  MoviBuilder movi;
  for (const Bytes& f : frames)
    movi.Add(FourCC("00dc"), f);
  avi.movi = movi.contents;
  avi.withIdx1 = true;
  avi.idx1 = movi.Idx1();
  return avi;
}

}  // namespace avitest
