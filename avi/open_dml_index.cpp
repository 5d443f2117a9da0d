// OpenDML indexes: a super index ("indx") in the stream's header list points
// at standard indexes ("ix00" chunks) spread over the file's RIFF forms, each
// listing the payload offsets of a run of frames relative to its own base.
// Files past the first gigabyte keep only their first part in "idx1" and the
// main header's frame count; the rest is reachable only through these.

#include <algorithm>
#include <new>

#include "avi/avi_format.h"
#include "avi/avi_frame_table.h"
#include "support/error_codes.h"

namespace {

constexpr size_t kIndexHeaderSize = 24;  // common to both index kinds
constexpr uint8_t kIndexOfIndexes = 0x00;
constexpr uint8_t kIndexOfChunks = 0x01;
constexpr size_t kSuperEntrySize = 16;
constexpr size_t kStandardEntrySize = 8;
// In a standard index entry's size: set for a frame that is not a key frame.
constexpr uint32_t kDeltaFrameBit = 0x80000000u;

struct IndexHeader {
  uint16_t longsPerEntry = 0;  // wLongsPerEntry
  uint8_t indexSubType = 0;    // bIndexSubType
  uint8_t indexType = 0;       // bIndexType
  uint32_t entriesInUse = 0;   // nEntriesInUse
  uint32_t chunkId = 0;        // dwChunkId
  uint64_t baseOffset = 0;     // qwBaseOffset (standard index only)
};

IndexHeader LoadIndexHeader(const uint8_t* p) {
  IndexHeader h;
  h.longsPerEntry = LoadLe16(p);
  h.indexSubType = p[2];
  h.indexType = p[3];
  h.entriesInUse = LoadLe32(p + 4);
  h.chunkId = LoadLe32(p + 8);
  h.baseOffset = LoadLe64(p + 12);
  return h;
}

// Reads count entries of entrySize bytes that follow an index header, after
// checking they lie inside the chunk.
int32_t ReadEntries(RiffReader& riff, uint32_t chunkSize, uint32_t count, size_t entrySize,
                    std::vector<uint8_t>& bytes) {
  if (count > (chunkSize - kIndexHeaderSize) / entrySize)
    return kErrBadFile;
  try {
    bytes.resize(static_cast<size_t>(count) * entrySize);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  return riff.Read(bytes.data(), bytes.size()) == kOk ? kOk : kErrBadFile;
}

int32_t ReadStandardIndex(RiffReader& riff, uint64_t offset, uint32_t chunkId,
                          std::vector<FrameLocation>& frames) {
  const uint64_t fileSize = riff.FileSize();
  uint8_t head[8 + kIndexHeaderSize];
  if (offset > fileSize || fileSize - offset < sizeof head)
    return kErrBadFile;
  if (riff.Seek(offset) != kOk || riff.Read(head, sizeof head) != kOk)
    return kErrBadFile;
  const uint32_t id = LoadLe32(head);
  const uint32_t size = LoadLe32(head + 4);
  if ((id & 0xFFFF) != (FourCC("ix00") & 0xFFFF) || size < kIndexHeaderSize ||
      offset + 8 + size > fileSize) {
    return kErrBadFile;
  }
  const IndexHeader h = LoadIndexHeader(head + 8);
  if (h.longsPerEntry != 2 || h.indexSubType != 0 || h.indexType != kIndexOfChunks ||
      h.chunkId != chunkId) {
    return kErrBadFile;
  }
  // Every frame needs a chunk header of its own somewhere in the file; super
  // entries that all point at one big index must not multiply it.
  if (frames.size() + h.entriesInUse > fileSize / 8)
    return kErrBadFile;
  std::vector<uint8_t> bytes;
  if (const int32_t code = ReadEntries(riff, size, h.entriesInUse, kStandardEntrySize, bytes)) {
    return code;
  }
  try {
    frames.reserve(frames.size() + h.entriesInUse);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  for (size_t at = 0; at < bytes.size(); at += kStandardEntrySize) {
    const uint64_t payload = h.baseOffset + LoadLe32(bytes.data() + at);
    const uint32_t length = LoadLe32(bytes.data() + at + 4) & ~kDeltaFrameBit;
    // The payload sits behind its chunk header, and inside the file.
    if (payload < 8 || payload > fileSize || fileSize - payload < length)
      return kErrBadFile;
    frames.push_back(FrameLocation{chunkId, length, payload});
  }
  return kOk;
}

}  // namespace

int32_t BuildFrameTableFromOpenDml(RiffReader& riff, const RiffChunk& indx,
                                   const std::array<uint32_t, 4>& frameIds,
                                   std::vector<FrameLocation>& frames) {
  frames.clear();
  uint8_t head[kIndexHeaderSize];
  if (indx.size < kIndexHeaderSize || riff.Seek(indx.DataOffset()) != kOk ||
      riff.Read(head, sizeof head) != kOk) {
    return kErrBadFile;
  }
  const IndexHeader h = LoadIndexHeader(head);
  if (h.longsPerEntry != 4 || h.indexSubType != 0 || h.indexType != kIndexOfIndexes) {
    return kErrBadFile;
  }
  if (h.entriesInUse == 0)
    return kNoOpenDmlIndex;
  if (std::find(frameIds.begin(), frameIds.end(), h.chunkId) == frameIds.end()) {
    return kErrBadFile;
  }
  std::vector<uint8_t> bytes;
  if (const int32_t code = ReadEntries(riff, indx.size, h.entriesInUse, kSuperEntrySize, bytes)) {
    return code;
  }
  for (size_t at = 0; at < bytes.size(); at += kSuperEntrySize) {
    const uint64_t offset = LoadLe64(bytes.data() + at);  // qwOffset
    if (const int32_t code = ReadStandardIndex(riff, offset, h.chunkId, frames))
      return code;
  }
  return kOk;
}
