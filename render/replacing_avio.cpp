#include "render/replacing_avio.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstdio>

#include "render/av_error.h"
#include "support/error_codes.h"

namespace {

constexpr int kIoBufferBytes = 256 * 1024;

#if LIBAVFORMAT_VERSION_MAJOR >= 61
using WrittenBytes = const uint8_t*;
#else
using WrittenBytes = uint8_t*;
#endif

int WriteBytes(void* opaque, WrittenBytes bytes, int count) {
  std::FILE* stream = static_cast<std::FILE*>(opaque);
  if (std::fwrite(bytes, 1, static_cast<size_t>(count), stream) != static_cast<size_t>(count))
    return AVERROR(errno != 0 ? errno : EIO);
  return count;
}

int64_t SeekBytes(void* opaque, int64_t offset, int whence) {
  std::FILE* stream = static_cast<std::FILE*>(opaque);
  if (whence & AVSEEK_SIZE) {
    struct stat st {};
    if (std::fflush(stream) != 0 || fstat(fileno(stream), &st) != 0)
      return AVERROR(errno != 0 ? errno : EIO);
    return st.st_size;
  }
  if (fseeko(stream, static_cast<off_t>(offset), whence & ~AVSEEK_FORCE) != 0)
    return AVERROR(errno != 0 ? errno : EIO);
  return ftello(stream);
}

}  // namespace

int32_t ReplacingAvio::Create(const std::string& target, RenderStatus& status) {
  Abandon();
  target_ = target;
  if (file_.Create(target) != kOk)
    return Fail(status, kErrNoFile, target);
  auto* buffer = static_cast<unsigned char*>(av_malloc(kIoBufferBytes));
  if (!buffer) {
    file_.Abandon();
    return Fail(status, kErrNoMemory, target);
  }
  io_.reset(avio_alloc_context(buffer, kIoBufferBytes, 1, file_.Stream(), nullptr, WriteBytes,
                               SeekBytes));
  if (!io_) {
    av_free(buffer);
    file_.Abandon();
    return Fail(status, kErrNoMemory, target);
  }
  return kOk;
}

int32_t ReplacingAvio::Commit(RenderStatus& status) {
  if (!io_)
    return Fail(status, kErrCannotWrite, target_);
  avio_flush(io_.get());
  const int ioError = io_->error;
  io_.reset();
  if (ioError < 0) {
    file_.Abandon();
    return FailWithAvError(status, kErrCannotWrite, target_, ioError);
  }
  errno = 0;
  if (file_.Commit() != kOk) {
    const int error = errno;
    return error != 0 ? FailWithAvError(status, kErrCannotWrite, target_, AVERROR(error))
                      : Fail(status, kErrCannotWrite, target_);
  }
  return kOk;
}

void ReplacingAvio::Abandon() {
  io_.reset();
  file_.Abandon();
}
