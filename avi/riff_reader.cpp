#include "avi/riff_reader.h"

#include <algorithm>

#include "avi/avi_format.h"
#include "support/error_codes.h"

bool RiffChunk::IsList() const {
  return id == kFourCCRiff || id == kFourCCList;
}

uint64_t RiffReader::EndOf(const RiffChunk* parent) const {
  if (!parent)
    return file_.Size();
  const uint64_t end = parent->End();
  return end < file_.Size() ? end : file_.Size();
}

int32_t RiffReader::Seek(uint64_t offset) {
  if (offset > file_.Size() || !file_.Seek(offset))
    return kErrCannotRead;
  return kOk;
}

int32_t RiffReader::Read(void* destination, size_t size) {
  if (size == 0)
    return kOk;
  return file_.ReadExact(destination, size) ? kOk : kErrCannotRead;
}

int32_t RiffReader::Descend(RiffChunk& chunk, const RiffChunk* parent, Find find, uint32_t id) {
  return Search(chunk, parent, find, id, false);
}

int32_t RiffReader::DescendUnfinished(RiffChunk& chunk, const RiffChunk* parent, Find find,
                                      uint32_t id) {
  return Search(chunk, parent, find, id, true);
}

int32_t RiffReader::Search(RiffChunk& chunk, const RiffChunk* parent, Find find, uint32_t id,
                           bool unfinished) {
  const uint64_t end = EndOf(parent);
  // Only what runs to the end of the file can have been left open.
  const bool open = unfinished && end == file_.Size();
  uint64_t at = file_.Tell();
  if (parent && at < parent->ContentOffset())
    return kErrBadFile;
  while (at + 8 <= end) {
    uint8_t header[12];
    if (!file_.Seek(at) || !file_.ReadExact(header, 8))
      return kErrBadFile;
    RiffChunk found;
    found.id = LoadLe32(header);
    found.size = LoadLe32(header + 4);
    found.offset = at;
    const bool pastEnd = found.End() > end;
    if (found.IsList()) {
      if (at + 12 > end)
        return open ? kCutShort : kErrBadFile;
      if (!file_.ReadExact(header + 8, 4))
        return kErrBadFile;
      found.listType = LoadLe32(header + 8);
    }

    bool match = false;
    switch (find) {
      case Find::kNext:
        match = true;
        break;
      case Find::kChunk:
        match = found.id == id;
        break;
      case Find::kList:
        match = found.id == kFourCCList && found.listType == id;
        break;
      case Find::kRiff:
        match = found.id == kFourCCRiff && found.listType == id;
        break;
    }
    const bool neverPatched = found.size == 0 || found.size == 0xFFFFFFFFu;
    if (open && match && found.IsList() && (neverPatched || pastEnd)) {
      found.size = static_cast<uint32_t>(std::min<uint64_t>(end - at - 8, 0xFFFFFFFEu));
      found.unfinished = true;
    } else if (pastEnd) {
      return open ? kCutShort : kErrBadFile;
    } else if (found.IsList() && found.size < 4) {
      return kErrBadFile;
    }

    if (match) {
      chunk = found;
      if (!file_.Seek(found.ContentOffset()))
        return kErrBadFile;
      return kOk;
    }
    at = found.End() + (found.size & 1);
  }
  // Up to seven bytes of trailing slack are no chunk; leave them unread.
  if (at < end && !file_.Seek(at))
    return kErrBadFile;
  return kNotFound;
}

int32_t RiffReader::Ascend(const RiffChunk& chunk) {
  uint64_t next = chunk.End() + (chunk.size & 1);
  if (next > file_.Size())
    next = file_.Size();
  if (!file_.Seek(next))
    return kErrBadFile;
  return kOk;
}
