#pragma once

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "cardsim/card_settings.h"
#include "cardsim/video_fifo.h"

// The one simulated card of the process, created when the library is loaded
// (reading its settings then) and destroyed when it is unloaded.
//
// Three threads call in at once: the program's main thread (settings, the
// still alpha), its playback worker (vdc_CheckFreeSize, vdc_AddData) and the
// card's own consumer. Locks, always taken in this order:
//   consume_  serialises whoever frees FIFO bytes or the ring itself (the
//             consumer, vdc_Stop, vdc_Flush, vdc_ReleaseVideoFifo), so a
//             frame being copied out cannot be freed under it;
//   state_    every register, the FIFO positions and the statistics; held
//             only briefly, so the worker never waits behind a frame copy;
//   picture_  the still alpha and the picture shown.
// wakeMutex_ stands apart: the consumer holds it only while it waits for its
// next period, and no other lock is taken with it.
class Card {
 public:
  // Settings that the set/get exports keep. Index into Card::values_.
  enum Value : int {
#define CARD_VALUE(name, initial, low, high) k##name,
#include "cardsim/card_values.inc"
#undef CARD_VALUE
    kValueCount
  };

  Card();
  ~Card();
  Card(const Card&) = delete;
  Card& operator=(const Card&) = delete;

  const CardSettings& Settings() const {
    return settings_;
  }
  // The faults that can change while the card is loaded.
  void SetFaults(uint32_t unavailable, bool fifoFails, int32_t fifoMemory);
  int32_t FifoMemory();
  // The card's frame clock stops (the consumer takes nothing and counts
  // nothing) or runs again from the next period.
  void SetStalled(bool stalled);
  // The consumer thread is kept from running, as a loaded machine may keep
  // it, and on release goes through every period it missed.
  void HoldConsumer(bool held);
  // Each wake-up of the consumer late by up to this much, at random.
  void SetJitter(int32_t microseconds);
  // Every vdc_CheckFreeSize takes this long before it answers.
  void SetFreeSizeDelay(int32_t microseconds);

  // Identity and standard.
  int32_t Standard();
  bool SetStandard(int32_t standard);
  int32_t EnabledWindow();
  void SetEnabledWindow(int32_t bits);
  struct Scale {
    int32_t x = 0, y = 0, width = 0, height = 0;
  };
  Scale InputScale();
  Scale OutputScale();
  bool SetInputScale(const Scale& s);
  bool SetOutputScale(const Scale& s);

  // Resources.
  bool Register(int32_t n);
  bool Unregister(int32_t n);
  void UnregisterAll();
  bool Registered(int32_t n);
  int32_t RegisterCalls(int32_t n);

  // Plain settings with a range.
  bool SetValue(Value v, int32_t value);
  int32_t GetValue(Value v);

  bool SetFormat(int32_t width, int32_t height, int32_t pixelFormat, int32_t flags);
  void Format(int32_t& width, int32_t& height);

  // Still alpha and the picture shown.
  bool PutAlpha(const uint8_t* top, const uint8_t* bottom, int32_t fieldBytes);
  bool GetStillAlpha(uint8_t* top, uint8_t* bottom, int32_t fieldBytes);
  int32_t CopyShown(uint8_t* destination, int32_t bytes);
  uint32_t ShownChecksum();

  // Streaming.
  uint8_t* AllocVideoFifo(int32_t* size);
  bool ReleaseVideoFifo();
  bool Run();
  bool Pause();
  void Stop();
  bool ResetCounter(int32_t counter, int32_t value);
  int32_t Counter(int32_t counter);
  int32_t CheckFreeSize(int32_t bytes, int32_t guardKiB);
  bool AddData(int32_t frame, int32_t field, int32_t kind, int32_t bytes);
  int32_t Flush();
  int32_t FreeSize();
  int32_t FifoSize();
  int32_t QueuedFrames();
  bool MoveFifoOrigin(int32_t offset);
  int32_t ConsumeNow(int32_t frames);
  int32_t ShownFrameNumber();
  int32_t Status();
  // Settings back to their power-on values.
  void InitValues();
  // The whole board back to power-on: streaming ended, FIFO released,
  // resources free, settings and format reset.
  void Reset();
  int32_t ErrorsSinceClear();
  void ClearErrors();

  // Statistics since load.
  int32_t FramesShown();
  int32_t Underruns();
  int32_t LateFrames();
  int32_t ProtocolErrors();
  int32_t StrayReleases();
  int32_t Announcements();
  // vdc_CheckFreeSize calls begun, counted as they start.
  int32_t FreeSizeQueries() {
    return freeSizeQueries_.load();
  }

  // Board registers, i2c and memory.
  int32_t ReadRegister(int32_t reg);
  bool WriteRegister(int32_t reg, int32_t value);
  int32_t ReadI2c(int32_t device, int32_t subaddress);
  bool WriteI2c(int32_t device, int32_t subaddress, int32_t value);
  int32_t ReadMemory(int32_t offset);
  bool WriteMemory(int32_t offset, int32_t value);

  // Video frame and key table.
  bool PutVideoData(const uint8_t* data, int32_t bytes);
  bool GetVideoData(uint8_t* data, int32_t bytes);
  bool WriteKeyTable(const uint8_t* table, int32_t entries);
  bool ReadKeyTable(uint8_t* table, int32_t entries);
  int32_t VideoFrameBytes();

 private:
  using Clock = std::chrono::steady_clock;

  // Takes the oldest whole frame, as the display would at a period due at
  // `due`; false when no frame was whole by then. Caller holds consume_.
  bool ShowFrameDueBy(Clock::time_point due);
  // What the display does in the period due at `due`: show the frame due,
  // or count an underrun; a frame put up a field or more after its time
  // counts as late. Caller holds no lock.
  void TakePeriod(Clock::time_point due, Clock::duration field);
  void ConsumerMain(Clock::time_point start);
  // Ends the consumer thread and waits for it; no lock may be held.
  void JoinConsumer();
  size_t FieldBytesLocked() const;
  // The program holds what streaming needs: the board, the alpha memory and
  // the frame interrupt (claimed by it, or held elsewhere, where the
  // interrupt runs all the same).
  bool StreamingClaimedLocked() const;
  bool HeldLocked(int32_t n) const {
    return (held_ & (1u << n)) != 0;
  }

  static constexpr size_t kI2cDevices = 128;
  static constexpr size_t kBoardMemory = 65536;

  CardSettings settings_;

  std::mutex consume_;
  std::mutex state_;
  std::mutex picture_;

  // Under state_.
  int32_t standard_;
  int32_t enabledWindow_;
  Scale input_, output_;
  uint32_t held_ = 0;
  std::array<int32_t, kResourceCount> registerCalls_{};
  std::array<int32_t, kValueCount> values_{};
  int32_t formatWidth_ = 0, formatHeight_ = 0;
  VideoFifo fifo_;
  bool running_ = false;
  bool paused_ = false;
  int32_t fieldCounter_ = 0;
  int32_t shownNumber_ = -1;
  int32_t framesShown_ = 0;
  int32_t underruns_ = 0;
  int32_t lateFrames_ = 0;
  int32_t refusedCalls_ = 0;  // protocol errors outside the FIFO's own
  int32_t strayReleases_ = 0;
  int32_t announcements_ = 0;
  int32_t errorMark_ = 0;
  std::array<int32_t, 256> registers_{};
  std::vector<uint8_t> i2c_;
  std::vector<uint8_t> memory_;
  std::vector<uint8_t> videoFrame_;
  std::array<uint8_t, 256> keyTable_{};

  // Under picture_.
  std::vector<uint8_t> still_;
  std::vector<uint8_t> shown_;  // the last FIFO frame shown
  int32_t shownFrame_ = -1;
  bool showingFifo_ = false;

  // Read without a lock where they are used.
  std::atomic<int32_t> jitterUs_{0};
  std::atomic<int32_t> freeSizeDelayUs_{0};
  std::atomic<int32_t> freeSizeQueries_{0};

  // The consumer thread; started, stopped and joined by the main thread.
  std::thread consumer_;
  std::mutex wakeMutex_;
  std::condition_variable wake_;
  bool quit_ = false;          // under wakeMutex_
  bool consumerHeld_ = false;  // under wakeMutex_
};

// The card of this load of the library.
Card& TheCard();
