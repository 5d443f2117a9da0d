#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "avi/replacing_file.h"

// A buffered RIFF file being written: plain writes and seeks with 64-bit
// offsets, and chunks through RiffChunkWriter. The first failure sticks: every
// later operation does nothing and returns kErrCannotWrite, so a caller may
// check once after a sequence of writes. The file is written beside its target
// and replaces it only on Commit.
class RiffWriter {
 public:
  RiffWriter() = default;
  RiffWriter(const RiffWriter&) = delete;
  RiffWriter& operator=(const RiffWriter&) = delete;

  // 0, or kErrNoFile when the file cannot be created (see
  // ReplacingFile::Create).
  int32_t Create(const std::string& target);

  int32_t Write(const void* data, size_t size);
  int32_t WriteLe32(uint32_t value);
  int32_t WriteZeros(size_t count);
  // A whole chunk whose size is known: header, payload and pad byte in one
  // pass, without seeking back. kErrCannotWrite also for a chunk at an odd
  // offset or beyond the RIFF size limit.
  int32_t WriteChunk(uint32_t id, const void* data, size_t size);
  int32_t Seek(uint64_t offset);
  uint64_t Tell() const { return position_; }
  int32_t Flush();
  // See ReplacingFile::StartWriteBack.
  void StartWriteBack() const { file_.StartWriteBack(); }

  // 0 while every operation so far succeeded, else kErrCannotWrite.
  int32_t Status() const;
  bool IsOpen() const { return file_.Stream() != nullptr; }
  // The target is being written in place (see ReplacingFile): a failure
  // leaves it incomplete rather than as it was.
  bool WritesInPlace() const { return file_.WritesInPlace(); }
  // Makes the failure stick for a fault found above the byte level (a chunk
  // that no reader could parse); returns kErrCannotWrite.
  int32_t MarkFailed();

  // Moves the finished file over the target: 0, or kErrCannotWrite when an
  // earlier operation failed or the move does. On any failure the partial file
  // is removed and the target keeps its old bytes.
  int32_t Commit();
  // Removes the partial file; the target keeps its old bytes.
  void Abandon();

 private:
  ReplacingFile file_;
  uint64_t position_ = 0;
  bool failed_ = false;
};

// One chunk or list being written, as a begin/end pair in one object:
// construction writes the id, a placeholder size and the list type (for
// "RIFF" and "LIST"); End, or the destructor, patches the size and adds the
// pad byte after an odd-sized payload. The chunk ends where the file position
// is when End runs. Sizes include the list type, as RIFF wants.
class RiffChunkWriter {
 public:
  RiffChunkWriter(RiffWriter& writer, uint32_t id);
  RiffChunkWriter(RiffWriter& writer, uint32_t id, uint32_t listType);
  RiffChunkWriter(const RiffChunkWriter&) = delete;
  RiffChunkWriter& operator=(const RiffChunkWriter&) = delete;
  ~RiffChunkWriter() { End(); }

  // 0, or kErrCannotWrite when this or any earlier operation of the writer
  // failed, or the chunk would start at an odd offset or pass the RIFF size
  // limit. A second call only returns the writer's status.
  int32_t End();
  uint64_t Start() const { return start_; }

 private:
  static constexpr uint64_t kSizeFieldOffset = 4;  // cksize

  RiffWriter& writer_;
  uint64_t start_ = 0;
  bool open_ = false;
};
