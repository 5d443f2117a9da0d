#pragma once

#include <cstddef>
#include <cstdint>

#include "support/buffered_file.h"

// Where a chunk lies in the file, as found by RiffReader::Descend.
struct RiffChunk {
  uint32_t id = 0;        // ckid
  uint32_t size = 0;      // cksize, the list type included for "RIFF" and "LIST"
  uint32_t listType = 0;  // fccType of "RIFF" and "LIST", else 0
  uint64_t offset = 0;    // of the chunk header
  // Left open by a writer that stopped (see RiffReader::DescendUnfinished):
  // size is then what the file holds, not what the chunk header said.
  bool unfinished = false;

  uint64_t DataOffset() const { return offset + 8; }
  // The first byte after the payload, without the pad byte.
  uint64_t End() const { return offset + 8 + size; }
  // The first byte of the contents: after the list type for a list.
  uint64_t ContentOffset() const { return DataOffset() + (IsList() ? 4 : 0); }
  bool IsList() const;
};

// Reads the chunk structure of a RIFF file with the semantics of the classic
// buffered RIFF reader: descend into the next chunk (or the next one with a
// given id, list type or form type) within a parent, ascend out of it, seek
// and read. Nothing is trusted: every chunk header is checked against the end
// of its parent, and the file itself is the outermost parent, so no size read
// from the file leads to a read outside it.
class RiffReader {
 public:
  // What Descend looks for.
  enum class Find {
    kNext,   // the chunk at the current position, whatever it is
    kChunk,  // the next chunk with the given id
    kList,   // the next "LIST" with the given list type
    kRiff,   // the next "RIFF" with the given form type
  };

  // Descend's answer when the parent ends before a matching chunk; distinct
  // from every error code, and never passed on as one.
  static constexpr int32_t kNotFound = -1;
  // DescendUnfinished's answer when the next chunk is cut by the end of the
  // file: the data ends there.
  static constexpr int32_t kCutShort = -2;

  explicit RiffReader(BufferedFile& file) : file_(file) {}

  // Searches from the current position to the end of parent (the whole file
  // when parent is null). On success the position is at the contents (after the
  // list type for a list). 0; kNotFound; kErrBadFile for a chunk that runs past
  // its parent, a list too short for its type, or a failed read or seek.
  int32_t Descend(RiffChunk& chunk, const RiffChunk* parent, Find find, uint32_t id = 0);

  // As Descend, for data that a writer may have left unfinished: a
  // recording cut short (its sizes run past the end of the file) or written
  // to a pipe (sizes 0 or 0xFFFFFFFF, never patched). Only where parent
  // reaches the end of the file:
  //  - a matching list whose size is 0 or 0xFFFFFFFF, or runs past the end
  //    of the file, is taken to end there and marked unfinished;
  //  - a chunk that is not such a list and runs past the end of the file
  //    gives kCutShort.
  // Everything else is checked as Descend checks it.
  int32_t DescendUnfinished(RiffChunk& chunk, const RiffChunk* parent, Find find, uint32_t id = 0);

  // Moves to the first byte after the chunk and its pad byte (a pad byte
  // missing at the very end of the file is tolerated). 0 or kErrBadFile.
  int32_t Ascend(const RiffChunk& chunk);

  // 0, or kErrCannotRead when the offset lies beyond the file or the seek
  // fails.
  int32_t Seek(uint64_t offset);
  // Exactly size bytes at the current position: 0, or kErrCannotRead.
  int32_t Read(void* destination, size_t size);
  uint64_t Tell() const { return file_.Tell(); }
  uint64_t FileSize() const { return file_.Size(); }

  // The end of a parent's contents (the file's end for none).
  uint64_t EndOf(const RiffChunk* parent) const;

 private:
  int32_t Search(RiffChunk& chunk, const RiffChunk* parent, Find find, uint32_t id,
                 bool unfinished);

  BufferedFile& file_;
};
