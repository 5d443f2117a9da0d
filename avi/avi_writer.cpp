#include "avi/avi_writer.h"

#include <new>

#include "support/error_codes.h"

namespace {

// Offset of the first data chunk: what the headers may need, rounded to even
// so every chunk after it stays on the even offsets RIFF requires.
uint64_t ComputeMoviStart(const AviWriter& writer) {
  uint64_t sum = 0;
  for (uint32_t i = 0; i < writer.mainHeader.streams; ++i) {
    sum += writer.formats[i].size() + kAviStreamReserve;
  }
  sum += sum & 1;
  return sum < kAviMinMoviStart ? kAviMinMoviStart : sum;
}

// 1000000 * scale / rate, halves rounded up, saturated.
uint32_t MicroSecondsPerFrame(uint32_t scale, uint32_t rate) {
  if (rate == 0)
    return 0;
  const uint64_t twice = 2ull * 1000000ull * scale + rate;
  const uint64_t quotient = twice / (2ull * rate);
  return quotient > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(quotient);
}

int32_t WriteHeaders(AviWriter& w) {
  RiffWriter& f = w.file;
  RiffChunkWriter hdrl(f, kFourCCList, kFourCCHdrl);
  {
    uint8_t bytes[kMainHeaderSize];
    StoreMainHeader(w.mainHeader, bytes);
    RiffChunkWriter avih(f, kFourCCAvih);
    f.Write(bytes, sizeof bytes);
  }
  for (uint32_t i = 0; i < w.mainHeader.streams; ++i) {
    RiffChunkWriter strl(f, kFourCCList, kFourCCStrl);
    {
      uint8_t bytes[kStreamHeaderSize];
      StoreStreamHeader(w.streamHeaders[i], bytes);
      RiffChunkWriter strh(f, kFourCCStrh);
      f.Write(bytes, sizeof bytes);
    }
    RiffChunkWriter strf(f, kFourCCStrf);
    f.Write(w.formats[i].data(), w.formats[i].size());
  }
  return hdrl.End();
}

}  // namespace

int32_t AviWriterCreate(std::unique_ptr<AviWriter>& writer, const std::string& fileName,
                        const MainHeader& header) {
  writer.reset();
  std::unique_ptr<AviWriter> w(new (std::nothrow) AviWriter);
  if (!w)
    return kErrNoMemory;
  if (w->file.Create(fileName) != kOk)
    return kErrNoFile;
  w->mainHeader = header;
  w->mainHeader.streams = 0;
  try {
    w->index.reserve(kAviIndexGrowth);
  } catch (const std::bad_alloc&) {
    w->file.Abandon();
    return kErrCannotWrite;
  }
  writer = std::move(w);
  return kOk;
}

int32_t AviWriterAddStream(AviWriter& w, int32_t* streamNumber, const StreamHeader& header,
                           const void* format, uint32_t formatSize) {
  // A seventeenth stream has no slot, and one declared after the first chunk
  // would need header space that is no longer there.
  if (w.mainHeader.streams >= static_cast<uint32_t>(kAviMaxStreams) || w.moviStart != 0) {
    return kErrBadParameter;
  }
  if (formatSize > 0 && format == nullptr)
    return kErrBadParameter;
  const auto* bytes = static_cast<const uint8_t*>(format);
  if (header.type == kFourCCAuds && formatSize < kWaveFormatMinSize)
    return kErrBadParameter;
  if (header.type == kFourCCVids && formatSize < kBitmapFrameSizeEnd)
    return kErrBadParameter;
  if (formatSize > kRiffMaxSize - kAviMinMoviStart)
    return kErrBadParameter;

  const uint32_t stream = w.mainHeader.streams;
  try {
    w.formats[stream].assign(bytes, bytes + formatSize);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }

  StreamHeader& sh = w.streamHeaders[stream];
  sh = header;
  sh.length = 0;
  if (sh.type == kFourCCAuds) {
    sh.sampleSize = LoadLe16(bytes + kWaveBlockAlignOffset);
    sh.rate = LoadLe32(bytes + kWaveSamplesPerSecOffset);
    sh.scale = 1;
  } else {
    sh.sampleSize = 0;
    if (sh.rate == 0 || sh.scale == 0) {
      sh.rate = 15;
      sh.scale = 1;
    }
  }
  if (sh.type == kFourCCVids) {
    const BitmapInfoHeader bitmap = LoadBitmapInfoHeader({bytes, formatSize});
    const uint32_t width = static_cast<uint32_t>(bitmap.width);
    const uint32_t height = static_cast<uint32_t>(bitmap.height);
    if (width > w.mainHeader.width)
      w.mainHeader.width = width;
    if (height > w.mainHeader.height)
      w.mainHeader.height = height;
  }
  w.mainHeader.streams = stream + 1;
  if (streamNumber)
    *streamNumber = static_cast<int32_t>(stream);
  return kOk;
}

int32_t AviWriterWriteChunk(AviWriter& w, int32_t stream, const void* data, uint32_t size,
                            uint16_t chunkType, uint32_t indexFlags) {
  if (stream < 0 || static_cast<uint32_t>(stream) >= w.mainHeader.streams) {
    return kErrBadParameter;
  }
  if (size > 0 && data == nullptr)
    return kErrBadParameter;
  if (w.file.Status() != kOk)
    return kErrCannotWrite;
  if (chunkType < 0x2000)
    chunkType = ChunkType("xx");

  if (w.moviStart == 0) {
    const uint64_t moviStart = ComputeMoviStart(w);
    if (moviStart > kRiffMaxSize)
      return kErrCannotWrite;
    if (w.file.Seek(moviStart) != kOk)
      return kErrCannotWrite;
    w.moviStart = moviStart;
  }

  // Refused before a byte is written, so the file stays closable: the RIFF
  // size of the finished file (up to the end of "idx1") must stay in range.
  const uint64_t chunkStart = w.file.Tell();
  const uint64_t chunkEnd = chunkStart + 8 + size + (size & 1);
  const uint64_t fileEnd = chunkEnd + 8 + kIndexEntrySize * (w.index.size() + 1);
  if (fileEnd - 8 > kRiffMaxSize)
    return kErrCannotWrite;

  if (w.index.size() == w.index.capacity()) {
    try {
      w.index.reserve(w.index.capacity() + kAviIndexGrowth);
    } catch (const std::bad_alloc&) {
      return kErrNoMemory;
    }
  }

  const uint32_t id =
      StreamChunkId(static_cast<uint32_t>(stream), static_cast<uint8_t>(chunkType & 0xFF),
                    static_cast<uint8_t>(chunkType >> 8));
  // The size is known, so the chunk goes out in one pass without seeking back.
  if (w.file.WriteChunk(id, data, size) != kOk)
    return kErrCannotWrite;

  StreamHeader& sh = w.streamHeaders[stream];
  if ((indexFlags & kIndexNoTime) == 0)
    sh.length += sh.sampleSize != 0 ? size / sh.sampleSize : 1;
  // Offsets count from the "movi" list type, four bytes before the data.
  w.index.push_back(
      IndexEntry{id, indexFlags, static_cast<uint32_t>(chunkStart - (w.moviStart - 4)), size});
  return kOk;
}

int32_t AviWriterClose(std::unique_ptr<AviWriter>& writer) {
  if (!writer)
    return kErrBadParameter;
  const std::unique_ptr<AviWriter> w = std::move(writer);
  RiffWriter& f = w->file;
  MainHeader& mh = w->mainHeader;
  const StreamHeader first = mh.streams > 0 ? w->streamHeaders[0] : StreamHeader{};

  if (mh.microSecPerFrame == 0)
    mh.microSecPerFrame = MicroSecondsPerFrame(first.scale, first.rate);
  mh.flags |= kAviHasIndex;
  mh.flags &= ~(kAviMustUseIndex | kAviIsInterleaved | kAviWasCaptureFile);
  mh.totalFrames = first.length;
  mh.initialFrames = 0;

  const uint64_t dataEnd = f.Tell();
  f.Seek(0);
  {
    RiffChunkWriter riff(f, kFourCCRiff, kFourCCAvi);
    WriteHeaders(*w);

    // No chunk at all leaves moviStart 0: there is no file worth keeping.
    const uint64_t junkStart = f.Tell();
    if (w->moviStart == 0 || junkStart + 8 > w->moviStart - 12)
      f.MarkFailed();
    {
      // Its payload is the unwritten gap, which reads as zeros.
      RiffChunkWriter junk(f, kFourCCJunk);
      f.Seek(w->moviStart - 12);
    }
    {
      RiffChunkWriter movi(f, kFourCCList, kFourCCMovi);
      f.Seek(dataEnd);
    }
    f.WriteLe32(kFourCCIdx1);
    f.WriteLe32(static_cast<uint32_t>(w->index.size() * kIndexEntrySize));
    uint8_t bytes[kIndexEntrySize];
    for (const IndexEntry& entry : w->index) {
      StoreIndexEntry(entry, bytes);
      if (f.Write(bytes, sizeof bytes) != kOk)
        break;
    }
    riff.End();
  }
  f.Flush();
  return f.Commit();
}

void AviWriterAbandon(std::unique_ptr<AviWriter>& writer) {
  if (!writer)
    return;
  writer->file.Abandon();
  writer.reset();
}
