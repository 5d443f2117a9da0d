// The card's video FIFO and the consumer that shows its frames.

#include <algorithm>
#include <chrono>
#include <cstring>
#include <new>
#include <random>

#include "cardsim/card.h"
#include "device/orvinter_exports.h"

namespace {

// vdc_CheckFreeSize's answer to a program that queues without holding what
// streaming needs.
constexpr int32_t kFreeSizeRefused = -4;

}  // namespace

uint8_t* Card::AllocVideoFifo(int32_t* size) {
  if (size == nullptr || *size <= 0)
    return nullptr;
  std::lock_guard consume(consume_);
  std::lock_guard lock(state_);
  if (!HeldLocked(kResourceFifoDma) || settings_.fifoFails || fifo_.Allocated()) {
    return nullptr;
  }
  size_t bytes =
      std::min<size_t>(static_cast<size_t>(*size), static_cast<size_t>(settings_.fifoMemory));
  bytes = std::max<size_t>(bytes / 4096 * 4096, kMinFifoBytes);
  if (!fifo_.Allocate(bytes))
    return nullptr;
  fifo_.SetExpectedFrame(0);
  *size = static_cast<int32_t>(bytes);
  return fifo_.Base();
}

bool Card::ReleaseVideoFifo() {
  JoinConsumer();
  std::lock_guard consume(consume_);
  bool had = false;
  {
    std::lock_guard lock(state_);
    running_ = false;
    paused_ = false;
    had = fifo_.Allocated();
    fifo_.Release();
  }
  std::lock_guard picture(picture_);
  showingFifo_ = false;
  return had;
}

bool Card::Run() {
  // The card's frame clock starts now: the first frame is due one period
  // from here, whenever the consumer thread gets to run.
  const Clock::time_point start = Clock::now();
  {
    std::lock_guard lock(state_);
    // Playing needs the FIFO and its DMA channel besides what queueing
    // needs; the card refuses, and says so, rather than play half set up.
    if (!fifo_.Allocated() || !HeldLocked(kResourceFifoDma) || !StreamingClaimedLocked()) {
      ++refusedCalls_;
      return false;
    }
    running_ = true;
    paused_ = false;
  }
  if (consumer_.joinable())
    return true;
  {
    std::lock_guard wake(wakeMutex_);
    quit_ = false;
  }
  try {
    consumer_ = std::thread(&Card::ConsumerMain, this, start);
  } catch (...) {
    std::lock_guard lock(state_);
    running_ = false;
    return false;
  }
  return true;
}

bool Card::Pause() {
  // Waits for a frame being taken to finish, so nothing is shown once the
  // card says it is paused.
  std::lock_guard consume(consume_);
  std::lock_guard lock(state_);
  if (!running_)
    return false;
  paused_ = true;
  return true;
}

void Card::Stop() {
  JoinConsumer();
  std::lock_guard consume(consume_);
  {
    std::lock_guard lock(state_);
    running_ = false;
    paused_ = false;
    if (fifo_.Allocated())
      fifo_.Clear();
  }
  std::lock_guard picture(picture_);
  showingFifo_ = false;
}

void Card::JoinConsumer() {
  if (!consumer_.joinable())
    return;
  {
    std::lock_guard wake(wakeMutex_);
    quit_ = true;
  }
  wake_.notify_all();
  consumer_.join();
}

void Card::ConsumerMain(Clock::time_point start) {
  // The period as a fraction of nanoseconds, so frame k is due at exactly
  // k periods after the start and the timing never drifts.
  int64_t numerator = 40000000, denominator = 1;
  {
    std::lock_guard lock(state_);
    if (standard_ == kNtscStandard) {
      numerator = 1001000000;
      denominator = 30;
    }
  }
  auto due = [&](int64_t tick) {
    return start + std::chrono::nanoseconds(tick * numerator / denominator);
  };
  const Clock::duration field = std::chrono::nanoseconds(numerator / denominator / 2);
  // The same jitter on every load, so a run that saw a fault can be seen
  // again.
  std::minstd_rand jitter(1072);
  int64_t ticks = 0;
  std::unique_lock wake(wakeMutex_);
  for (;;) {
    Clock::time_point wakeAt = due(ticks + 1);
    const int32_t jitterUs = jitterUs_.load(std::memory_order_relaxed);
    if (jitterUs > 0)
      wakeAt += std::chrono::microseconds(jitter() % (static_cast<uint32_t>(jitterUs) + 1));
    if (wake_.wait_until(wake, wakeAt, [this] { return quit_; }))
      break;
    wake_.wait(wake, [this] { return quit_ || !consumerHeld_; });
    if (quit_)
      break;
    wake.unlock();
    // However late the thread woke, each period is judged at its own due
    // time: the display does not wait for a late writer, nor for us.
    const Clock::time_point now = Clock::now();
    while (due(ticks + 1) <= now) {
      ++ticks;
      TakePeriod(due(ticks), field);
    }
    wake.lock();
  }
}

void Card::TakePeriod(Clock::time_point due, Clock::duration field) {
  std::lock_guard consume(consume_);
  {
    std::lock_guard lock(state_);
    if (!running_ || paused_ || settings_.stalled)
      return;
  }
  const bool shown = ShowFrameDueBy(due);
  const bool late = shown && Clock::now() - due >= field;
  std::lock_guard lock(state_);
  if (!shown)
    ++underruns_;
  if (late)
    ++lateFrames_;
}

bool Card::ShowFrameDueBy(Clock::time_point due) {
  VideoFifo::Record record;
  const uint8_t* base = nullptr;
  size_t ring = 0;
  {
    std::lock_guard lock(state_);
    const VideoFifo::Record* oldest = fifo_.OldestWholeFrame();
    if (oldest == nullptr || oldest->complete > due)
      return false;
    record = *oldest;
    base = fifo_.Base();
    ring = fifo_.Size();
  }
  // The frame's bytes stay in use until it is popped below, so the writer
  // cannot reach them while they are copied without the state lock.
  {
    std::lock_guard picture(picture_);
    try {
      shown_.resize(record.bytes);
      const size_t head = std::min(record.bytes, ring - record.start);
      std::memcpy(shown_.data(), base + record.start, head);
      std::memcpy(shown_.data() + head, base, record.bytes - head);
      shownFrame_ = record.number;
      showingFifo_ = true;
    } catch (const std::bad_alloc&) {
      // The frame is lost to the display but still leaves the FIFO.
    }
  }
  std::lock_guard lock(state_);
  fifo_.PopOldest();
  ++framesShown_;
  shownNumber_ = record.number;
  fieldCounter_ += 2;
  return true;
}

bool Card::ResetCounter(int32_t counter, int32_t value) {
  std::lock_guard lock(state_);
  if (counter == 0) {
    fieldCounter_ = value;
    return true;
  }
  if (counter == 1) {
    fifo_.SetExpectedFrame(value);
    return true;
  }
  return false;
}

int32_t Card::Counter(int32_t counter) {
  std::lock_guard lock(state_);
  if (counter == 0)
    return fieldCounter_;
  if (counter == 1)
    return fifo_.ExpectedFrame();
  return -1;
}

int32_t Card::CheckFreeSize(int32_t bytes, int32_t guardKiB) {
  freeSizeQueries_.fetch_add(1);
  // A slow board answers late, and answers what it sees once it answers.
  const int32_t delayUs = freeSizeDelayUs_.load(std::memory_order_relaxed);
  if (delayUs > 0)
    std::this_thread::sleep_for(std::chrono::microseconds(delayUs));
  std::lock_guard lock(state_);
  if (fifo_.Allocated() && !StreamingClaimedLocked()) {
    ++refusedCalls_;
    return kFreeSizeRefused;
  }
  return fifo_.CheckFreeSize(bytes, guardKiB);
}

bool Card::AddData(int32_t frame, int32_t field, int32_t kind, int32_t bytes) {
  const Clock::time_point at = Clock::now();
  std::lock_guard lock(state_);
  ++announcements_;
  if (fifo_.Allocated() && !StreamingClaimedLocked()) {
    ++refusedCalls_;
    return false;
  }
  return fifo_.Announce(frame, field, kind, bytes, FieldBytesLocked(), at);
}

int32_t Card::Flush() {
  std::lock_guard consume(consume_);
  std::lock_guard lock(state_);
  return fifo_.Allocated() ? fifo_.Flush() : 0;
}

int32_t Card::FreeSize() {
  std::lock_guard lock(state_);
  return static_cast<int32_t>(fifo_.FreeBytes());
}

int32_t Card::FifoSize() {
  std::lock_guard lock(state_);
  return static_cast<int32_t>(fifo_.Size());
}

int32_t Card::QueuedFrames() {
  std::lock_guard lock(state_);
  return fifo_.WholeFrames();
}

bool Card::MoveFifoOrigin(int32_t offset) {
  if (offset < 0)
    return false;
  std::lock_guard consume(consume_);
  std::lock_guard lock(state_);
  return fifo_.MoveOrigin(static_cast<size_t>(offset));
}

int32_t Card::ConsumeNow(int32_t frames) {
  std::lock_guard consume(consume_);
  int32_t shown = 0;
  while (shown < frames && ShowFrameDueBy(Clock::time_point::max()))
    ++shown;
  return shown;
}

int32_t Card::ShownFrameNumber() {
  std::lock_guard lock(state_);
  return shownNumber_;
}

int32_t Card::FramesShown() {
  std::lock_guard lock(state_);
  return framesShown_;
}

int32_t Card::Underruns() {
  std::lock_guard lock(state_);
  return underruns_;
}

int32_t Card::LateFrames() {
  std::lock_guard lock(state_);
  return lateFrames_;
}

int32_t Card::ProtocolErrors() {
  std::lock_guard lock(state_);
  return fifo_.ProtocolErrors() + refusedCalls_;
}

int32_t Card::StrayReleases() {
  std::lock_guard lock(state_);
  return strayReleases_;
}

int32_t Card::Announcements() {
  std::lock_guard lock(state_);
  return announcements_;
}
