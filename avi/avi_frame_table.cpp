#include "avi/avi_frame_table.h"

#include <algorithm>
#include <new>

#include "avi/avi_format.h"
#include "support/error_codes.h"

namespace {

// Lists below "movi" nest one level ("rec ") in practice; deeper nesting is
// skipped rather than followed.
constexpr int kMaxListDepth = 8;

bool IsFrameId(const std::array<uint32_t, 4>& ids, uint32_t id) {
  return std::find(ids.begin(), ids.end(), id) != ids.end();
}

int32_t FindMovi(const FrameTableInput& in, RiffChunk& movi) {
  return FindMoviList(in.riff, in.form, movi);
}

struct IndexSpan {
  uint32_t smallest = UINT32_MAX;
  uint32_t largest = 0;
  uint32_t lengthAtLargest = 0;
};

IndexSpan SpanOf(const std::vector<IndexEntry>& entries) {
  IndexSpan span;
  for (const IndexEntry& e : entries) {
    span.smallest = std::min(span.smallest, e.offset);
    if (e.offset > span.largest || (&e == &entries.front())) {
      span.largest = e.offset;
      span.lengthAtLargest = e.length;
    }
  }
  return span;
}

}  // namespace

int32_t FindMoviList(RiffReader& riff, const RiffChunk& form, RiffChunk& movi) {
  if (riff.Seek(form.ContentOffset()) != kOk)
    return kErrBadFile;
  const int32_t code = riff.DescendUnfinished(movi, &form, RiffReader::Find::kList, kFourCCMovi);
  return code == kOk ? kOk : kErrBadFile;
}

int32_t BuildFrameTableByWalking(const FrameTableInput& in, std::vector<FrameLocation>& frames) {
  frames.clear();
  RiffChunk movi;
  if (FindMovi(in, movi) != kOk)
    return kErrBadFile;

  RiffChunk parents[kMaxListDepth + 1];
  int depth = 0;
  parents[0] = movi;
  while (in.unfinished || frames.size() < in.totalFrames) {
    RiffChunk chunk;
    const int32_t code =
        in.unfinished ? in.riff.DescendUnfinished(chunk, &parents[depth], RiffReader::Find::kNext)
                      : in.riff.Descend(chunk, &parents[depth], RiffReader::Find::kNext);
    // Where the writer stopped, the frames end: a frame it was writing is
    // not whole.
    if (in.unfinished &&
        (code == RiffReader::kCutShort || (code == RiffReader::kNotFound && depth == 0))) {
      return frames.empty() ? kErrBadFile : kOk;
    }
    if (code == RiffReader::kNotFound) {
      // The end of "movi" itself means the file holds fewer frames than it says.
      if (depth == 0)
        return kErrBadFile;
      if (in.riff.Ascend(parents[depth]) != kOk)
        return kErrBadFile;
      --depth;
      continue;
    }
    if (code != kOk)
      return kErrBadFile;
    if (IsFrameId(in.frameIds, chunk.id)) {
      try {
        frames.push_back(FrameLocation{chunk.id, chunk.size, chunk.DataOffset()});
      } catch (const std::bad_alloc&) {
        return kErrNoMemory;
      }
    } else if (chunk.id == kFourCCList && depth < kMaxListDepth) {
      parents[++depth] = chunk;  // positioned at its first chunk
      continue;
    }
    if (in.riff.Ascend(chunk) != kOk)
      return kErrBadFile;
  }
  return in.riff.Ascend(movi) == kOk ? kOk : kErrBadFile;
}

int32_t BuildFrameTableFromIndex(const FrameTableInput& in, std::vector<FrameLocation>& frames,
                                 FrameTableOrigin& origin) {
  frames.clear();
  origin = FrameTableOrigin::kMoviWalk;
  RiffChunk movi;
  if (FindMovi(in, movi) != kOk)
    return kErrBadFile;
  const uint64_t listType = movi.DataOffset();
  const uint64_t moviData = listType + 8;
  const uint64_t moviEnd = movi.End();
  if (in.riff.Ascend(movi) != kOk)
    return kErrBadFile;

  RiffChunk idx1;
  const int32_t found = in.riff.Descend(idx1, &in.form, RiffReader::Find::kChunk, kFourCCIdx1);
  // A file that claims an index but lost it can still be read in order.
  if (found == RiffReader::kNotFound)
    return BuildFrameTableByWalking(in, frames);
  if (found != kOk)
    return kErrBadFile;

  std::vector<IndexEntry> entries;
  std::vector<uint8_t> bytes;
  try {
    bytes.resize(idx1.size / kIndexEntrySize * kIndexEntrySize);
    entries.reserve(bytes.size() / kIndexEntrySize);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  if (in.riff.Read(bytes.data(), bytes.size()) != kOk)
    return kErrBadFile;
  for (size_t at = 0; at < bytes.size(); at += kIndexEntrySize) {
    entries.push_back(LoadIndexEntry(bytes.data() + at));
  }

  std::vector<IndexEntry> picked;
  try {
    picked.reserve(in.totalFrames);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  for (const IndexEntry& e : entries) {
    if (picked.size() == in.totalFrames)
      break;
    if (IsFrameId(in.frameIds, e.chunkId))
      picked.push_back(e);
  }
  if (picked.size() < in.totalFrames)
    return kErrBadFile;

  // Offsets count from the "movi" list type or from the file's start; the
  // smallest tells which, and a largest that fits both or neither readings
  // means the index cannot be trusted.
  uint64_t base = listType;
  FrameTableOrigin reading = FrameTableOrigin::kRelativeIndex;
  if (!entries.empty()) {
    const IndexSpan span = SpanOf(entries);
    if (listType < span.smallest) {
      const uint64_t last = static_cast<uint64_t>(span.largest) + span.lengthAtLargest;
      if (last + moviData <= moviEnd || last > moviEnd)
        return BuildFrameTableByWalking(in, frames);
      base = 0;
      reading = FrameTableOrigin::kAbsoluteIndex;
    }
  }

  try {
    frames.reserve(picked.size());
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  for (const IndexEntry& e : picked) {
    // Each entry points at a chunk header; the payload follows it.
    const uint64_t payload = base + e.offset + 8;
    const bool hasBytes = static_cast<int32_t>(e.length) > 0;
    if (payload < moviData || (hasBytes && payload + e.length > moviEnd)) {
      return BuildFrameTableByWalking(in, frames);
    }
    frames.push_back(FrameLocation{e.chunkId, e.length, payload});
  }
  origin = reading;
  return kOk;
}
