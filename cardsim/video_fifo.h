#pragma once

#include <array>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "device/orvinter_exports.h"

// The card's video FIFO: a byte ring with read and write positions, the
// descriptors of the frames announced into it and the checks of the
// streaming protocol (see orvinter_sim.h). Not thread-safe: the card locks
// around every call.
class VideoFifo {
 public:
  using Clock = std::chrono::steady_clock;

  // A run of ring bytes: one announced frame, or the leftovers of a frame
  // that broke the protocol (skipped, never shown). A whole frame carries
  // the moment its end was announced: it cannot be shown in a period that
  // was due before then.
  struct Record {
    int32_t number = 0;
    size_t start = 0;
    size_t bytes = 0;
    bool whole = false;
    Clock::time_point complete{};
  };

  static constexpr int32_t kFieldData = kAddFieldData;
  static constexpr int32_t kEndOfFrame = kAddEndOfFrame;
  static constexpr size_t kMaxRecords = 256;

  // Replaces any ring by a zeroed one of size bytes; false when out of memory.
  bool Allocate(size_t size);
  void Release();
  bool Allocated() const { return memory_ != nullptr; }
  uint8_t* Base() const { return memory_.get(); }
  size_t Size() const { return size_; }
  size_t FreeBytes() const { return size_ - used_; }
  size_t WritePosition() const { return size_ == 0 ? 0 : (read_ + used_) % size_; }

  int32_t CheckFreeSize(int32_t bytes, int32_t guardKiB) const;

  // One vdc_AddData made at `at`; false for a protocol error. fieldBytes is
  // the size a field must have in the current format.
  bool Announce(int32_t frame, int32_t field, int32_t kind, int32_t bytes, size_t fieldBytes,
                Clock::time_point at);

  // Frame numbering; the next frame announced must carry this number.
  void SetExpectedFrame(int32_t number) { expected_ = number; }
  int32_t ExpectedFrame() const { return expected_; }

  // Frees skipped runs at the head; then the oldest whole frame, if any.
  const Record* OldestWholeFrame();
  // Frees the bytes of the oldest record.
  void PopOldest();

  // Drops every record and the frame being announced: read = write.
  void Clear();
  // Drops the whole frames waiting; returns how many.
  int32_t Flush();
  int32_t WholeFrames() const;
  // Announcements that broke the protocol; a broken frame counts once.
  int32_t ProtocolErrors() const { return errors_; }
  // Puts both positions of an empty ring at offset.
  bool MoveOrigin(size_t offset);

 private:
  struct Partial {
    bool open = false;
    int32_t number = 0;
    size_t start = 0;
    size_t bytes = 0;
    int fields = 0;
    bool broken = false;
  };
  struct FreeDeleter {
    void operator()(uint8_t* p) const { std::free(p); }
  };

  // Counts a protocol error and marks the frame being announced broken.
  void Fail();
  // Turns the frame being announced into a run to skip.
  void BreakPartial();
  void Push(const Record& record);
  Record& At(size_t k) { return records_[(head_ + k) % kMaxRecords]; }
  const Record& At(size_t k) const { return records_[(head_ + k) % kMaxRecords]; }

  std::unique_ptr<uint8_t[], FreeDeleter> memory_;
  size_t size_ = 0;
  size_t read_ = 0;
  size_t used_ = 0;
  std::array<Record, kMaxRecords> records_{};
  size_t head_ = 0;
  size_t count_ = 0;
  Partial partial_;
  int32_t expected_ = 0;
  int32_t errors_ = 0;
};
