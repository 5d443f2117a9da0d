#pragma once

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <span>
#include <thread>

struct AviWriter;

// Writes an export's frames on a thread of its own, so the next frame is
// built while the one before goes to the disk. One frame is in flight at a
// time: the caller builds into two buffers in turn, and a buffer handed to
// Write stays untouched until the next Write (or Finish) has returned.
//
// Between Start and Finish the thread alone touches the writer. The first
// write that fails stops the writing; every later Write returns its code
// without taking the frame, and so does Finish.
class ExportWriteThread {
 public:
  // The frames go to stream of writer as key frames "00dc".
  ExportWriteThread(AviWriter& writer, int32_t stream);
  // Finishes first: nothing is left writing behind an owner that is gone.
  ~ExportWriteThread();
  ExportWriteThread(const ExportWriteThread&) = delete;
  ExportWriteThread& operator=(const ExportWriteThread&) = delete;

  // 0, or kErrNoMemory when the system gives no thread.
  int32_t Start();

  // Waits for the frame before this one, then hands this one over. 0, or
  // the code of the first write that failed (the frame is not taken).
  int32_t Write(std::span<const uint8_t> frame);

  // Waits until every frame handed over is written and ends the thread; a
  // second call only answers again. 0, or the first failed write's code.
  int32_t Finish();

  // Frames written without error; complete once Finish has returned.
  int32_t FramesWritten() const;

 private:
  void Run();

  AviWriter& writer_;
  const int32_t stream_;
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  std::span<const uint8_t> pending_;
  bool hasPending_ = false;
  bool finishing_ = false;
  int32_t status_ = 0;
  int32_t written_ = 0;
  std::thread thread_;
};
