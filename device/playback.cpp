#include "device/playback.h"

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <utility>

#include "device/orvane_device.h"
#include "support/error_codes.h"
#include "support/time_code.h"

namespace {

// The step from normal to highest thread priority, in nice levels.
constexpr int kRaisedPriorityStep = 2;

bool StandardLauncher(std::thread& worker, std::function<void()> body) {
  try {
    worker = std::thread(std::move(body));
  } catch (const std::system_error&) {
    return false;
  }
  pthread_setname_np(worker.native_handle(), "orvane-play");
  return true;
}

WorkerLauncher& CurrentLauncher() {
  static WorkerLauncher launcher = StandardLauncher;
  return launcher;
}

// Raises the calling thread's priority for its life, best effort: without
// the privilege to do so the thread simply keeps its priority.
class RaisedThreadPriority {
 public:
  RaisedThreadPriority() : thread_(static_cast<id_t>(gettid())) {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, thread_);
    if (errno != 0)
      return;
    normal_ = nice;
    raised_ = setpriority(PRIO_PROCESS, thread_, nice - kRaisedPriorityStep) == 0;
  }
  ~RaisedThreadPriority() {
    if (raised_)
      setpriority(PRIO_PROCESS, thread_, normal_);
  }
  RaisedThreadPriority(const RaisedThreadPriority&) = delete;
  RaisedThreadPriority& operator=(const RaisedThreadPriority&) = delete;

 private:
  id_t thread_;
  int normal_ = 0;
  bool raised_ = false;
};

// QueuedFrame in one word: p1, p2 and the width in 16 bits each, the
// frame's number in 15 and, on top, whether there is a frame at all.
constexpr uint64_t kQueuedFlag = uint64_t{1} << 63;
static_assert(std::atomic<uint64_t>::is_always_lock_free);

uint64_t PackQueued(FieldPositions p, int32_t w, int64_t number) {
  const auto bits16 = [](int32_t v) { return static_cast<uint64_t>(static_cast<uint16_t>(v)); };
  return kQueuedFlag | (static_cast<uint64_t>(number & 0x7FFF) << 48) | (bits16(w) << 32) |
         (bits16(p.p2) << 16) | bits16(p.p1);
}

QueuedFrame UnpackQueued(uint64_t word) {
  if (!(word & kQueuedFlag))
    return {};
  const auto signed16 = [word](int shift) {
    return static_cast<int32_t>(static_cast<int16_t>(static_cast<uint16_t>(word >> shift)));
  };
  return {{signed16(0), signed16(16)}, signed16(32), static_cast<int32_t>((word >> 48) & 0x7FFF)};
}

}  // namespace

FieldPositions PassPositions(PlayPass pass, int32_t i, int32_t span, int32_t halfFrames) {
  const int32_t n = halfFrames;
  const int32_t s = span;
  if (pass == PlayPass::In)
    return {(i * s + n / 2) / n, (i * s + s / 2 + n / 2) / n};
  return {((n - i) * s + n / 2) / n, ((n - i) * s - s / 2 + n / 2) / n};
}

int32_t CardPlayer::StartPlayback() {
  return device_.StartPlayback();
}

void CardPlayer::StopPlayback() {
  device_.StopPlayback();
}

bool CardPlayer::QueueFrame(int32_t p1, int32_t p2, int32_t w) {
  return device_.QueueFrame(p1, p2, w);
}

void CardPlayer::Run() {
  if (device_.Initialised())
    device_.Driver().vdc_Run();
}

WorkerLauncher SetWorkerLauncher(WorkerLauncher launcher) {
  WorkerLauncher previous = std::move(CurrentLauncher());
  CurrentLauncher() = launcher ? std::move(launcher) : WorkerLauncher(StandardLauncher);
  return previous;
}

Playback::Playback(PlayDevice& device, const std::atomic<int32_t>& width,
                   std::atomic<int32_t>& stopFlag, PlaybackFailure onFailure)
    : device_(device), width_(width), stopFlag_(stopFlag), onFailure_(std::move(onFailure)) {}

bool Playback::Stopping() const {
  return stopFlag_.load(std::memory_order_acquire) != 0;
}

int32_t Playback::Begin(int32_t durationMs, float fps, WipeDirection direction) {
  if (WorkerRunning())
    return kErrPlaying;
  const int32_t code = device_.StartPlayback();
  if (code != kOk)
    return code;
  framesQueued_.store(0, std::memory_order_relaxed);
  noRoomWaits_.store(0, std::memory_order_relaxed);
  cardStopped_.store(false, std::memory_order_release);
  queuedFrame_.store(0, std::memory_order_relaxed);
  positionSpan_ = width_.load(std::memory_order_relaxed) + 256;
  halfFrames_ = MsToFrames(durationMs, fps) / 2;
  direction_ = direction;

  // As much of the in pass as the FIFO holds, so the card starts full.
  frameIndex_ = 0;
  while (frameIndex_ < halfFrames_ && QueueCurrent(PlayPass::In)) {
  }
  prefilled_ = frameIndex_;

  stopFlag_.store(0, std::memory_order_release);
  if (!CurrentLauncher()(worker_, [this] { Worker(); }))
    return kErrFatal;
  return kOk;
}

void Playback::RunCard() {
  device_.Run();
}

void Playback::End() {
  stopFlag_.exchange(1, std::memory_order_acq_rel);
  if (worker_.joinable())
    worker_.join();
  device_.StopPlayback();
}

void Playback::Worker() {
  RaisedThreadPriority priority;
  lastQueued_ = std::chrono::steady_clock::now();
  Loop();
}

bool Playback::QueueCurrent(PlayPass pass) {
  const FieldPositions p = PassPositions(pass, frameIndex_, positionSpan_, halfFrames_);
  // The worker's span decides the mirror, the current width the edge.
  const int32_t spanWidth = positionSpan_ - 256;
  const FieldPositions queued{DirectedPosition(p.p1, spanWidth, direction_),
                              DirectedPosition(p.p2, spanWidth, direction_)};
  const int32_t w = width_.load(std::memory_order_relaxed);
  if (!device_.QueueFrame(queued.p1, queued.p2, w))
    return false;
  ++frameIndex_;
  const int64_t number = framesQueued_.fetch_add(1, std::memory_order_relaxed);
  queuedFrame_.store(PackQueued(queued, w, number), std::memory_order_relaxed);
  lastQueued_ = std::chrono::steady_clock::now();
  return true;
}

QueuedFrame Playback::LastQueued() const {
  return UnpackQueued(queuedFrame_.load(std::memory_order_relaxed));
}

void Playback::CheckCardTakesFrames() {
  if (CardStopped() || std::chrono::steady_clock::now() - lastQueued_ < kCardStoppedAfter)
    return;
  // The user is told rather than left with a Stop button over a card that
  // shows nothing; ending the run is the dialog's, through End.
  cardStopped_.store(true, std::memory_order_release);
  if (onFailure_)
    onFailure_(kErrVideoTimer);
}

bool Playback::RunPass(PlayPass pass) {
  while (frameIndex_ < halfFrames_) {
    if (Stopping())
      return false;
    if (!QueueCurrent(pass)) {
      noRoomWaits_.fetch_add(1, std::memory_order_relaxed);
      CheckCardTakesFrames();
      std::this_thread::sleep_for(kNoRoomWait);
    }
    if (Stopping())
      return false;
  }
  return true;
}

void Playback::Loop() {
  // The first in pass goes on from where the pre-fill stopped.
  for (;;) {
    if (Stopping())
      return;
    if (!RunPass(PlayPass::In))
      return;
    frameIndex_ = 0;
    if (!RunPass(PlayPass::Out))
      return;
    frameIndex_ = 0;
    // Passes of no frames queue nothing; without a pause here the worker
    // would spin at raised priority until Stop.
    if (halfFrames_ <= 0)
      std::this_thread::sleep_for(kNoRoomWait);
  }
}
