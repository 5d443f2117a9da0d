#include "cardsim/video_fifo.h"

#include <cstring>

bool VideoFifo::Allocate(size_t size) {
  Release();
  // Cache-line aligned, as DMA memory would be.
  const size_t rounded = (size + 63) / 64 * 64;
  auto* p = static_cast<uint8_t*>(std::aligned_alloc(64, rounded));
  if (p == nullptr)
    return false;
  std::memset(p, 0, rounded);
  memory_.reset(p);
  size_ = size;
  return true;
}

void VideoFifo::Release() {
  memory_.reset();
  size_ = 0;
  Clear();
  read_ = 0;
}

int32_t VideoFifo::CheckFreeSize(int32_t bytes, int32_t guardKiB) const {
  if (!Allocated())
    return -2;
  if (bytes < 0 || guardKiB < 0 || static_cast<size_t>(bytes) > size_)
    return -3;
  // One descriptor for the frame, one spare for a broken run.
  if (count_ + 2 > kMaxRecords)
    return -1;
  const size_t needed = static_cast<size_t>(bytes) + static_cast<size_t>(guardKiB) * 1024;
  if (needed > FreeBytes())
    return -1;
  return static_cast<int32_t>(WritePosition());
}

bool VideoFifo::Announce(int32_t frame, int32_t field, int32_t kind, int32_t bytes,
                         size_t fieldBytes, Clock::time_point at) {
  if (!Allocated()) {
    Fail();
    return false;
  }
  if (kind == kFieldData) {
    if (bytes < 0 || static_cast<size_t>(bytes) > FreeBytes()) {
      // The writer claims more than the room it had: unread bytes may have
      // been overwritten. Nothing is moved on.
      Fail();
      return false;
    }
    if (field == 0) {
      if (partial_.open) {
        Fail();  // the frame before never ended
        BreakPartial();
      }
      partial_ = Partial{true, frame, WritePosition(), 0, 1, false};
    } else if (field == 1 && partial_.open && partial_.number == frame && partial_.fields == 1) {
      partial_.fields = 2;
    } else {
      // A bottom field without its top field, or a field the card does not
      // have: the data is skipped.
      if (!partial_.open)
        partial_ = Partial{true, frame, WritePosition(), 0, 0, false};
      Fail();
    }
    partial_.bytes += static_cast<size_t>(bytes);
    used_ += static_cast<size_t>(bytes);
    if (static_cast<size_t>(bytes) != fieldBytes || partial_.number != expected_)
      Fail();
    return !partial_.broken;
  }
  if (kind == kEndOfFrame) {
    if (!partial_.open) {
      Fail();
      return false;
    }
    if (partial_.number != frame || partial_.fields != 2 || field != 0 || bytes != 0)
      Fail();
    if (partial_.broken) {
      BreakPartial();
      return false;
    }
    Push(Record{partial_.number, partial_.start, partial_.bytes, true, at});
    expected_ = partial_.number + 1;
    partial_ = Partial{};
    return true;
  }
  Fail();
  return false;
}

void VideoFifo::Fail() {
  // A broken frame is one error, however many of its announcements follow.
  if (!partial_.open) {
    ++errors_;
  } else if (!partial_.broken) {
    partial_.broken = true;
    ++errors_;
  }
}

void VideoFifo::BreakPartial() {
  if (partial_.bytes > 0)
    Push(Record{partial_.number, partial_.start, partial_.bytes, false});
  // Numbering goes on after the broken frame, so one bad frame is one error.
  expected_ = partial_.number + 1;
  partial_ = Partial{};
}

void VideoFifo::Push(const Record& record) {
  if (count_ == kMaxRecords) {
    // Only a writer that ignored vdc_CheckFreeSize gets here: fold the run
    // into the newest record and skip both.
    Record& last = At(count_ - 1);
    last.bytes += record.bytes;
    last.whole = false;
    return;
  }
  At(count_) = record;
  ++count_;
}

const VideoFifo::Record* VideoFifo::OldestWholeFrame() {
  while (count_ > 0 && !At(0).whole)
    PopOldest();
  return count_ > 0 ? &At(0) : nullptr;
}

void VideoFifo::PopOldest() {
  if (count_ == 0)
    return;
  const Record& r = At(0);
  read_ = (read_ + r.bytes) % size_;
  used_ -= r.bytes;
  head_ = (head_ + 1) % kMaxRecords;
  --count_;
}

void VideoFifo::Clear() {
  read_ = WritePosition();
  used_ = 0;
  head_ = 0;
  count_ = 0;
  partial_ = Partial{};
}

int32_t VideoFifo::Flush() {
  // The frame being announced stays: its writer is still at work.
  const int32_t frames = WholeFrames();
  const size_t keep = partial_.open ? partial_.bytes : 0;
  read_ = (WritePosition() + size_ - keep) % (size_ == 0 ? 1 : size_);
  used_ = keep;
  head_ = 0;
  count_ = 0;
  return frames;
}

int32_t VideoFifo::WholeFrames() const {
  int32_t n = 0;
  for (size_t k = 0; k < count_; ++k)
    n += At(k).whole ? 1 : 0;
  return n;
}

bool VideoFifo::MoveOrigin(size_t offset) {
  if (!Allocated() || used_ != 0 || partial_.open || offset >= size_)
    return false;
  read_ = offset;
  return true;
}
