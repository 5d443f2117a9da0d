#pragma once

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

#include "wipe/wipe_turns.h"

class OrvaneDevice;

// Real-time playback of a wipe on the card: the edge sweeps in across the
// pattern during one pass, back out during the next, and the passes repeat
// until Stop. The main thread pre-fills the card's FIFO with the first frames
// of the in pass; a worker thread keeps it filled while the card shows one
// frame per frame period.

enum class PlayPass { In, Out };

// The wipe positions of a frame's two fields.
struct FieldPositions {
  int32_t p1;
  int32_t p2;
  bool operator==(const FieldPositions&) const = default;
};

// Frame i of a pass of halfFrames frames that covers span positions: the
// first field at i * span / halfFrames rounded to nearest, the second half
// a frame further on; the out pass runs back from span. All 32-bit, every
// division truncating. halfFrames must be above 0.
FieldPositions PassPositions(PlayPass pass, int32_t i, int32_t span, int32_t halfFrames);

// What playback drives. The card's device in the program; tests put their
// own in its place where they need to count or to refuse room.
class PlayDevice {
 public:
  virtual ~PlayDevice() = default;
  // Claims the streaming resources and the FIFO; 0 or an error code.
  virtual int32_t StartPlayback() = 0;
  // Releases them; harmless when nothing was claimed.
  virtual void StopPlayback() = 0;
  // One frame into the FIFO; false at once, queueing nothing, when there is
  // no room now. Called from the worker.
  virtual bool QueueFrame(int32_t p1, int32_t p2, int32_t w) = 0;
  // Starts the card showing what is queued.
  virtual void Run() = 0;
};

// The card itself, through the program's device object.
class CardPlayer : public PlayDevice {
 public:
  explicit CardPlayer(OrvaneDevice& device) : device_(device) {}
  int32_t StartPlayback() override;
  void StopPlayback() override;
  bool QueueFrame(int32_t p1, int32_t p2, int32_t w) override;
  // vdc_Run, when the device was opened.
  void Run() override;

 private:
  OrvaneDevice& device_;
};

// Creates the worker thread running body; false when it cannot be created.
using WorkerLauncher = std::function<bool(std::thread& worker, std::function<void()> body)>;

// The launcher playback uses: a named std::thread unless a test has put its
// own in place. Returns the previous one; an empty launcher puts the
// standard one back.
WorkerLauncher SetWorkerLauncher(WorkerLauncher launcher);

class ScopedWorkerLauncher {
 public:
  explicit ScopedWorkerLauncher(WorkerLauncher launcher)
      : previous_(SetWorkerLauncher(std::move(launcher))) {}
  ~ScopedWorkerLauncher() { SetWorkerLauncher(std::move(previous_)); }
  ScopedWorkerLauncher(const ScopedWorkerLauncher&) = delete;
  ScopedWorkerLauncher& operator=(const ScopedWorkerLauncher&) = delete;

 private:
  WorkerLauncher previous_;
};

// How long the worker waits when the FIFO has no room for one more frame.
// The FIFO holds a few hundred milliseconds of frames and one frame is
// computed in well under a millisecond, so the card never runs dry, while
// the main thread (and the card's own consumer) get the processor between
// attempts instead of a spin at raised priority.
inline constexpr std::chrono::microseconds kNoRoomWait{1000};

// How long the FIFO may stay without room before the worker takes the card
// for one that stopped taking frames. A card that shows frames frees one
// every frame period, and the FIFO holds well under a second of them; a
// loaded machine has been seen to keep the card's display from running for
// a fifth of a second.
inline constexpr std::chrono::milliseconds kCardStoppedAfter{2000};

// The frame last put into the FIFO, for a display that follows the card.
struct QueuedFrame {
  FieldPositions positions{};
  int32_t width = 0;
  // Counted from 0 at Begin, modulo 32768; -1 while nothing is queued.
  int32_t number = -1;
  bool operator==(const QueuedFrame&) const = default;
};

// Told, from the worker and once per run, of a failure found while playing.
using PlaybackFailure = std::function<void(int32_t code)>;

class Playback {
 public:
  // width is the dialog's edge width, read anew for every frame queued.
  // stopFlag, nonzero, says no worker may run: Begin clears it just before
  // the worker starts, End raises it by an atomic exchange, and the worker
  // tests it before and after every frame. onFailure hears of a card that
  // stopped taking frames (kErrVideoTimer); the worker goes on trying until
  // End.
  Playback(PlayDevice& device, const std::atomic<int32_t>& width, std::atomic<int32_t>& stopFlag,
           PlaybackFailure onFailure = {});
  ~Playback() { End(); }
  Playback(const Playback&) = delete;
  Playback& operator=(const Playback&) = delete;

  // Claims the card's streaming, works out the passes for one pass of
  // durationMs at fps, pre-fills the FIFO with the in pass and starts the
  // worker. 0, the device's code, kErrFatal when the worker cannot be
  // created, or kErrPlaying while a worker runs already. After a failure the
  // caller runs End. direction holds for the whole run.
  int32_t Begin(int32_t durationMs, float fps, WipeDirection direction = WipeDirection::kForward);
  // Starts the card; after Begin succeeded.
  void RunCard();
  // Stops the worker, waits for it and releases the card's streaming. Safe
  // to call when nothing runs.
  void End();

  bool WorkerRunning() const { return worker_.joinable(); }
  // S: the positions one pass covers, the edge width at Begin plus 256.
  int32_t PositionSpan() const { return positionSpan_; }
  // N: frames in one pass.
  int32_t HalfFrames() const { return halfFrames_; }
  // The direction of the last Begin: reversed, every position p of the
  // passes is queued as S - p.
  WipeDirection Direction() const { return direction_; }
  // The next frame of the current pass. The worker owns it while it runs:
  // read it only when none does.
  int32_t FrameIndex() const { return frameIndex_; }
  // Frames the last Begin put into the FIFO before the worker started.
  int32_t Prefilled() const { return prefilled_; }
  // Frames queued since the last Begin, pre-fill included.
  int64_t FramesQueued() const { return framesQueued_.load(std::memory_order_relaxed); }
  // Times the worker found no room and waited.
  int64_t NoRoomWaits() const { return noRoomWaits_.load(std::memory_order_relaxed); }
  // The last frame queued since Begin; from any thread, without waiting.
  // Positions and width are kept in 16 bits each, which holds every wipe
  // the dialog can play.
  QueuedFrame LastQueued() const;
  // The worker of the last Begin found the card no longer taking frames.
  bool CardStopped() const { return cardStopped_.load(std::memory_order_acquire); }

 private:
  void Worker();
  void Loop();
  // Queues the current frame of pass; true when it went in.
  bool QueueCurrent(PlayPass pass);
  // Runs pass from frameIndex_ to its end; false when stopped.
  bool RunPass(PlayPass pass);
  // After a try that found no room: reports a card without room for too long.
  void CheckCardTakesFrames();
  bool Stopping() const;

  PlayDevice& device_;
  const std::atomic<int32_t>& width_;
  std::atomic<int32_t>& stopFlag_;
  PlaybackFailure onFailure_;
  std::thread worker_;
  // The worker's own: when a frame last went in.
  std::chrono::steady_clock::time_point lastQueued_{};
  int32_t positionSpan_ = 0;
  int32_t halfFrames_ = 0;
  WipeDirection direction_ = WipeDirection::kForward;
  int32_t frameIndex_ = 0;
  int32_t prefilled_ = 0;
  std::atomic<int64_t> framesQueued_{0};
  std::atomic<int64_t> noRoomWaits_{0};
  std::atomic<bool> cardStopped_{false};
  // LastQueued packed into one word, so a reader never sees half a frame.
  std::atomic<uint64_t> queuedFrame_{0};
};
