#include "fuzz/seed_avi.h"

#include <fstream>
#include <iterator>
#include <memory>
#include <utility>
#include <vector>

#include "avi/avi_format.h"
#include "avi/avi_writer.h"
#include "avi/riff_writer.h"
#include "support/error_codes.h"

namespace fs = std::filesystem;

namespace {

SeedBytes Load(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return SeedBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t Find(const SeedBytes& bytes, uint32_t fourCC) {
  for (size_t i = 0; i + 4 <= bytes.size(); ++i) {
    if (LoadLe32(bytes.data() + i) == fourCC)
      return i;
  }
  return SIZE_MAX;
}

StreamHeader VideoHeader(uint32_t handler) {
  StreamHeader h;
  h.type = kFourCCVids;
  h.handler = handler;
  h.scale = 1000;
  h.rate = 25000;
  h.quality = 10000;
  return h;
}

SeedBytes BitmapFormat(uint32_t handler) {
  SeedBytes f(kBitmapInfoSize, 0);
  StoreBitmapInfoHeader(MakeBitmapInfoHeader(640, 480, 32, handler), f);
  return f;
}

}  // namespace

SeedBytes WrittenAvi(const fs::path& dir, int frames, uint32_t handler, bool audio) {
  const fs::path path = dir / "writing.avi";
  std::unique_ptr<AviWriter> w;
  if (AviWriterCreate(w, path.string(), MainHeader{}) != kOk)
    return {};
  const SeedBytes format = BitmapFormat(handler);
  AviWriterAddStream(*w, nullptr, VideoHeader(handler), format.data(),
                     static_cast<uint32_t>(format.size()));
  if (audio) {
    SeedBytes wave(16, 0);
    StoreLe16(wave.data(), 1);
    StoreLe16(wave.data() + 2, 2);
    StoreLe32(wave.data() + kWaveSamplesPerSecOffset, 48000);
    StoreLe16(wave.data() + kWaveBlockAlignOffset, 4);
    StreamHeader sh;
    sh.type = kFourCCAuds;
    AviWriterAddStream(*w, nullptr, sh, wave.data(), static_cast<uint32_t>(wave.size()));
  }
  for (int i = 0; i < frames; ++i) {
    // Alpha only in the first: the reader does not look into frames.
    const SeedBytes frame = SeedDeviceFrame(static_cast<uint32_t>(i), 16, i == 0 ? 2 : 0);
    AviWriterWriteChunk(*w, 0, frame.data(), static_cast<uint32_t>(frame.size()), ChunkType("dc"),
                        kIndexKeyFrame);
    if (audio) {
      const SeedBytes samples(4 * (3 + i), static_cast<uint8_t>(i));
      AviWriterWriteChunk(*w, 1, samples.data(), static_cast<uint32_t>(samples.size()),
                          ChunkType("wb"), kIndexKeyFrame);
    }
  }
  if (AviWriterClose(w) != kOk)
    return {};
  SeedBytes bytes = Load(path);
  fs::remove(path);
  return bytes;
}

SeedBytes WithoutJunk(SeedBytes file) {
  const size_t junk = Find(file, kFourCCJunk);
  if (junk == SIZE_MAX)
    return {};
  const size_t size = 8 + LoadLe32(file.data() + junk + 4);
  file.erase(file.begin() + static_cast<std::ptrdiff_t>(junk),
             file.begin() + static_cast<std::ptrdiff_t>(junk + size));
  StoreLe32(file.data() + 4, static_cast<uint32_t>(file.size() - 8));
  return file;
}

SeedBytes WithoutIndexFlag(SeedBytes file) {
  const size_t avih = Find(file, kFourCCAvih);
  const size_t flags = avih + 8 + 12;  // dwFlags
  StoreLe32(file.data() + flags, LoadLe32(file.data() + flags) & ~kAviHasIndex);
  return file;
}

SeedBytes WithAbsoluteIndex(SeedBytes file) {
  const size_t movi = Find(file, kFourCCMovi);  // the list type
  const size_t idx1 = Find(file, kFourCCIdx1);
  const uint32_t size = LoadLe32(file.data() + idx1 + 4);
  for (size_t at = idx1 + 8; at + kIndexEntrySize <= idx1 + 8 + size; at += kIndexEntrySize) {
    StoreLe32(file.data() + at + 8, LoadLe32(file.data() + at + 8) + static_cast<uint32_t>(movi));
  }
  return file;
}

SeedBytes CutShort(SeedBytes file, size_t cut) {
  file.resize(Find(file, kFourCCIdx1) - cut);
  return file;
}

SeedBytes Streamed(SeedBytes file, uint32_t size) {
  file.resize(Find(file, kFourCCIdx1));
  StoreLe32(file.data() + 4, size);
  StoreLe32(file.data() + Find(file, kFourCCMovi) - 4, size);
  return file;
}

// The super index is written first with room for its entries and filled in
// at the end.
SeedBytes OpenDmlAvi(const fs::path& dir) {
  const fs::path path = dir / "writing-odml.avi";
  RiffWriter f;
  if (f.Create(path.string()) != kOk)
    return {};
  constexpr uint32_t kIndexes = 2;
  const uint32_t frameId = FourCC("00dc");
  uint64_t superEntries = 0;
  struct Part {
    uint64_t at = 0;
    uint32_t size = 0;
    uint32_t frames = 0;
  };
  Part parts[kIndexes];

  auto writeStandardIndex =
      [&](uint64_t base, const std::vector<std::pair<uint64_t, uint32_t>>& frames, Part& part) {
        part.at = f.Tell();
        RiffChunkWriter ix(f, FourCC("ix00"));
        const uint8_t head[4] = {2, 0, 0, 1};  // longs per entry, sub type, index of chunks
        f.Write(head, sizeof head);
        f.WriteLe32(static_cast<uint32_t>(frames.size()));
        f.WriteLe32(frameId);
        f.WriteLe32(static_cast<uint32_t>(base));
        f.WriteLe32(static_cast<uint32_t>(base >> 32));
        f.WriteLe32(0);
        for (auto [payload, length] : frames) {
          f.WriteLe32(static_cast<uint32_t>(payload - base));
          f.WriteLe32(length);
        }
        ix.End();
        part.size = static_cast<uint32_t>(f.Tell() - part.at);
        part.frames = static_cast<uint32_t>(frames.size());
      };
  // The payload offsets and lengths of the frames written, and the offset
  // of their "movi" list type.
  std::vector<std::pair<uint64_t, uint32_t>> located;
  uint64_t base = 0;
  auto writeFrames = [&](uint32_t first, uint32_t count, Part& part) {
    located.clear();
    {
      RiffChunkWriter movi(f, kFourCCList, kFourCCMovi);
      base = movi.Start() + 8;
      for (uint32_t i = first; i < first + count; ++i) {
        const SeedBytes frame = SeedDeviceFrame(i, 0, 0);
        located.emplace_back(f.Tell() + 8, static_cast<uint32_t>(frame.size()));
        f.WriteChunk(frameId, frame.data(), frame.size());
      }
      writeStandardIndex(base, located, part);
    }
  };

  {
    RiffChunkWriter riff(f, kFourCCRiff, kFourCCAvi);
    {
      RiffChunkWriter hdrl(f, kFourCCList, kFourCCHdrl);
      MainHeader main;
      main.microSecPerFrame = 40000;
      main.flags = kAviHasIndex;
      main.totalFrames = 2;  // the first form's frames only
      main.streams = 1;
      main.width = 640;
      main.height = 480;
      uint8_t avih[kMainHeaderSize];
      StoreMainHeader(main, avih);
      f.WriteChunk(kFourCCAvih, avih, sizeof avih);
      RiffChunkWriter strl(f, kFourCCList, kFourCCStrl);
      StreamHeader sh = VideoHeader(kFourCCOrvd);
      sh.length = 5;
      uint8_t strh[kStreamHeaderSize];
      StoreStreamHeader(sh, strh);
      f.WriteChunk(kFourCCStrh, strh, sizeof strh);
      const SeedBytes format = BitmapFormat(kFourCCOrvd);
      f.WriteChunk(kFourCCStrf, format.data(), format.size());
      RiffChunkWriter indx(f, kFourCCIndx);
      const uint8_t head[4] = {4, 0, 0, 0};  // longs per entry, sub type, index of indexes
      f.Write(head, sizeof head);
      f.WriteLe32(kIndexes);
      f.WriteLe32(frameId);
      f.WriteZeros(12);
      superEntries = f.Tell();
      f.WriteZeros(16 * kIndexes);
    }
    writeFrames(0, 2, parts[0]);
    // "idx1" for the readers that know only the first form.
    RiffChunkWriter idx1(f, kFourCCIdx1);
    for (auto [payload, length] : located) {
      uint8_t entry[kIndexEntrySize];
      StoreIndexEntry(
          IndexEntry{frameId, kIndexKeyFrame, static_cast<uint32_t>(payload - 8 - base), length},
          entry);
      f.Write(entry, sizeof entry);
    }
  }
  {
    RiffChunkWriter avix(f, kFourCCRiff, FourCC("AVIX"));
    writeFrames(2, 3, parts[1]);
  }
  f.Seek(superEntries);
  for (const Part& part : parts) {
    f.WriteLe32(static_cast<uint32_t>(part.at));
    f.WriteLe32(static_cast<uint32_t>(part.at >> 32));
    f.WriteLe32(part.size);
    f.WriteLe32(part.frames);
  }
  if (f.Commit() != kOk)
    return {};
  SeedBytes bytes = Load(path);
  fs::remove(path);
  return bytes;
}
