#pragma once

#include <cstdint>
#include <mutex>
#include <vector>

#include "device/card_claim.h"
#include "device/orvinter_binding.h"
#include "device/playback_session.h"
#include "wipe/transition_table.h"

// The program's one object for the video mixer card: the connection to the
// card's library, the frame size, the wipe pattern at that size, the alpha
// map shown on the card and, during playback, the card's video FIFO.
//
// Everything runs on the main thread except QueueFrame, which the playback
// worker calls once the FIFO has been pre-filled. ShowAlpha may run on the
// main thread meanwhile: it uses `table` and alphaMap, QueueFrame only
// queueTables, so the two never share storage. Close, StopPlayback and
// SetPattern change what QueueFrame reads and writes: each waits for a frame
// being queued to be done, and a QueueFrame that finds one of them at work
// queues nothing, as if there were no room.
class OrvaneDevice {
 public:
  OrvaneDevice() = default;
  ~OrvaneDevice() { Close(); }
  OrvaneDevice(const OrvaneDevice&) = delete;
  OrvaneDevice& operator=(const OrvaneDevice&) = delete;

  // Binds the library, checks its version, takes the frame rate and size
  // from the card, clears the card's alpha and sets its mixer. 0 or an
  // error code. On a version other than kOrvinterVersion the user is asked
  // whether to go on, unless versionQuestionAsked is set; Open sets it once
  // the version matched or the answer was OK, so that the question comes
  // at most until it is once answered OK.
  int32_t Open(bool& versionQuestionAsked);
  // Claims the streaming resources and the FIFO; 0 or an error code. What
  // was claimed before a failure stays held until StopPlayback or Close.
  int32_t StartPlayback();
  // Ends streaming and gives back what StartPlayback claimed.
  void StopPlayback();
  // Releases everything and unloads the library; safe to call repeatedly.
  void Close();

  // Scales the pattern to the frame size and stores it field-split. False
  // when out of memory (the caller reports kErrNoMemory); the device then
  // has no pattern.
  bool SetPattern(const uint8_t* pattern, int32_t patternWidth, int32_t patternHeight);
  // Puts the alpha map for position p and edge width w on the card at once.
  void ShowAlpha(int32_t p, int32_t w);
  // Writes one frame (top field at p1, bottom field at p2) into the FIFO and
  // announces it. False at once, changing nothing, when the FIFO has no
  // room. Never allocates, never waits.
  bool QueueFrame(int32_t p1, int32_t p2, int32_t w);

  bool LibraryLoaded() const { return libraryLoaded; }
  bool Initialised() const { return initialised; }
  // Frames per second of the card's output standard, 29.97 or 25; 0 until
  // Open asks the card.
  float FrameRate() const { return frameRate; }
  int32_t FrameWidth() const { return frameWidth; }
  int32_t FrameHeight() const { return frameHeight; }
  int32_t FrameCounter() const { return frameCounter; }
  int32_t FifoSize() const { return session.Fifo().Size(); }
  const uint8_t* FifoBase() const { return session.Fifo().Base(); }
  // Frame-size, field-split; empty until the first SetPattern.
  const std::vector<uint8_t>& Pattern() const { return pattern; }
  const std::vector<uint8_t>& AlphaMap() const { return alphaMap; }

  // The card library's entries (stubs when it is not loaded), for the few
  // calls made outside the device, such as vdc_Run when playback starts.
  const OrvinterApi& Driver() const { return binding.Api(); }
  // Any symbol of the loaded library; for tests and tools.
  void* LibrarySymbol(const char* name) const { return binding.Symbol(name); }
  // Which library is bound, for the About box.
  const OrvinterBinding& Binding() const { return binding; }

 private:
  bool HasPattern() const;

  bool libraryLoaded = false;
  bool initialised = false;
  float frameRate = 0.0f;
  int32_t frameWidth = 640;
  int32_t frameHeight = 480;
  int32_t frameCounter = 0;
  bool streaming = false;  // StartPlayback succeeded; until the FIFO goes back
  std::vector<uint8_t> pattern;
  std::vector<uint8_t> alphaMap;
  TransitionTable table{};

  // QueueFrame's own tables, one per field.
  TransitionTable queueTables[2]{};
  // Held by QueueFrame for all of its work, and only tried there, so the
  // worker never waits for the main thread; taken by Close, StopPlayback
  // and SetPattern.
  std::mutex queueGuard;
  OrvinterBinding binding;
  // After the binding, whose table they call, so they go first.
  CardClaim board;  // resource 2, from Open to Close
  // The FIFO and the streaming resources, from StartPlayback to StopPlayback.
  PlaybackSession session;
};

// The version of the card's library the program was written for.
inline constexpr int32_t kOrvinterVersion = 1072;
