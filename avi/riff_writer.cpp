#include "avi/riff_writer.h"

#include <sys/types.h>

#include <cstdio>

#include "avi/avi_format.h"
#include "support/error_codes.h"

int32_t RiffWriter::Create(const std::string& target) {
  failed_ = false;
  position_ = 0;
  return file_.Create(target);
}

int32_t RiffWriter::MarkFailed() {
  failed_ = true;
  return kErrCannotWrite;
}

int32_t RiffWriter::Status() const {
  return failed_ || !file_.Stream() ? kErrCannotWrite : kOk;
}

int32_t RiffWriter::Write(const void* data, size_t size) {
  if (Status() != kOk)
    return MarkFailed();
  if (size == 0)
    return kOk;
  if (std::fwrite(data, 1, size, file_.Stream()) != size)
    return MarkFailed();
  position_ += size;
  return kOk;
}

int32_t RiffWriter::WriteLe32(uint32_t value) {
  uint8_t bytes[4];
  StoreLe32(bytes, value);
  return Write(bytes, sizeof bytes);
}

int32_t RiffWriter::WriteZeros(size_t count) {
  static const uint8_t kZeros[4096] = {};
  while (count > 0) {
    const size_t step = count < sizeof kZeros ? count : sizeof kZeros;
    if (Write(kZeros, step) != kOk)
      return kErrCannotWrite;
    count -= step;
  }
  return kOk;
}

int32_t RiffWriter::WriteChunk(uint32_t id, const void* data, size_t size) {
  if ((position_ & 1) != 0 || size > kRiffMaxSize)
    return MarkFailed();
  WriteLe32(id);
  WriteLe32(static_cast<uint32_t>(size));
  Write(data, size);
  if ((size & 1) != 0)
    WriteZeros(1);
  return Status();
}

int32_t RiffWriter::Seek(uint64_t offset) {
  if (Status() != kOk)
    return MarkFailed();
  if (offset == position_)
    return kOk;
  if (offset > static_cast<uint64_t>(INT64_MAX))
    return MarkFailed();
  if (fseeko(file_.Stream(), static_cast<off_t>(offset), SEEK_SET) != 0)
    return MarkFailed();
  position_ = offset;
  return kOk;
}

int32_t RiffWriter::Flush() {
  if (Status() != kOk)
    return MarkFailed();
  if (std::fflush(file_.Stream()) != 0)
    return MarkFailed();
  return kOk;
}

int32_t RiffWriter::Commit() {
  if (Status() != kOk) {
    Abandon();
    return kErrCannotWrite;
  }
  return file_.Commit();
}

void RiffWriter::Abandon() {
  file_.Abandon();
}

RiffChunkWriter::RiffChunkWriter(RiffWriter& writer, uint32_t id) : writer_(writer) {
  start_ = writer_.Tell();
  open_ = true;
  writer_.WriteLe32(id);
  writer_.WriteLe32(0);  // cksize, patched by End
}

RiffChunkWriter::RiffChunkWriter(RiffWriter& writer, uint32_t id, uint32_t listType)
    : RiffChunkWriter(writer, id) {
  writer_.WriteLe32(listType);
}

int32_t RiffChunkWriter::End() {
  if (!open_)
    return writer_.Status();
  open_ = false;
  if (writer_.Status() != kOk)
    return kErrCannotWrite;
  const uint64_t end = writer_.Tell();
  // A chunk at an odd offset means an earlier one lost its pad byte; sizes
  // beyond the limit would wrap for every reader.
  if ((start_ & 1) != 0 || end < start_ + 8 || end - start_ - 8 > kRiffMaxSize) {
    return writer_.MarkFailed();
  }
  const uint64_t size = end - start_ - 8;
  if ((size & 1) != 0)
    writer_.WriteZeros(1);
  const uint64_t next = writer_.Tell();
  writer_.Seek(start_ + kSizeFieldOffset);
  writer_.WriteLe32(static_cast<uint32_t>(size));
  writer_.Seek(next);
  return writer_.Status();
}
