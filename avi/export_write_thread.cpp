#include "avi/export_write_thread.h"

#include <pthread.h>

#include <system_error>

#include "avi/avi_writer.h"
#include "support/error_codes.h"

ExportWriteThread::ExportWriteThread(AviWriter& writer, int32_t stream)
    : writer_(writer), stream_(stream) {}

ExportWriteThread::~ExportWriteThread() {
  Finish();
}

int32_t ExportWriteThread::Start() {
  try {
    thread_ = std::thread(&ExportWriteThread::Run, this);
  } catch (const std::system_error&) {
    return kErrNoMemory;
  }
  pthread_setname_np(thread_.native_handle(), "orvane-export");
  return kOk;
}

int32_t ExportWriteThread::Write(std::span<const uint8_t> frame) {
  std::unique_lock<std::mutex> lock(mutex_);
  changed_.wait(lock, [this] { return !hasPending_; });
  if (status_ != kOk)
    return status_;
  if (!thread_.joinable() || finishing_)
    return kErrBadParameter;
  pending_ = frame;
  hasPending_ = true;
  changed_.notify_all();
  return kOk;
}

int32_t ExportWriteThread::Finish() {
  {
    std::unique_lock<std::mutex> lock(mutex_);
    changed_.wait(lock, [this] { return !hasPending_; });
    finishing_ = true;
    changed_.notify_all();
  }
  if (thread_.joinable())
    thread_.join();
  const std::lock_guard<std::mutex> lock(mutex_);
  return status_;
}

int32_t ExportWriteThread::FramesWritten() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return written_;
}

void ExportWriteThread::Run() {
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return hasPending_ || finishing_; });
    if (!hasPending_)
      return;
    const std::span<const uint8_t> frame = pending_;
    lock.unlock();
    const int32_t code =
        AviWriterWriteChunk(writer_, stream_, frame.data(), static_cast<uint32_t>(frame.size()),
                            ChunkType("dc"), kIndexKeyFrame);
    // The disk works through the frames while the next are built, rather
    // than all at once when the file is closed.
    if (code == kOk)
      writer_.file.StartWriteBack();
    lock.lock();
    if (code == kOk)
      ++written_;
    else
      status_ = code;
    hasPending_ = false;
    changed_.notify_all();
  }
}
