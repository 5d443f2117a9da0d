#include "device/orvane_device.h"

#include <algorithm>
#include <new>

#include "support/error_codes.h"
#include "support/prompter.h"
#include "support/time_code.h"
#include "wipe/field_split.h"

namespace {

constexpr int32_t kNtscStandard = 2;
constexpr int32_t kInputWindowBit = 4;
// Frames the card can have: interlaced, so an even number of lines, and no
// side so long that a frame's byte count could overflow.
constexpr int32_t kMaxFrameSide = 4096;

bool ValidFrameSize(int32_t width, int32_t height) {
  return width >= 1 && height >= 2 && width <= kMaxFrameSide && height <= kMaxFrameSide &&
         height % 2 == 0;
}

// Gives a buffer's memory back, not just its size.
void Release(std::vector<uint8_t>& buffer) {
  std::vector<uint8_t>().swap(buffer);
}

}  // namespace

int32_t OrvaneDevice::Open(bool& versionQuestionAsked) {
  // Opened once per run; a second call must not claim the board twice.
  if (initialised)
    return kOk;
  if (binding.Bind() == 0)
    return kErrNoDevice;
  libraryLoaded = true;
  const OrvinterApi& card = binding.Api();

  if (card.vdc_get_version() != kOrvinterVersion && !versionQuestionAsked &&
      !CurrentPrompter().AskOkCancel("You have different version of Orvane DLL\nWork anyway?",
                                     "Load Orvane DLL")) {
    return kErrCancelled;
  }
  versionQuestionAsked = true;

  frameRate = card.vdc_output_get_standart() == kNtscStandard ? kNtscFrameRate : kPalFrameRate;

  int32_t x = 0, y = 0, width = 0, height = 0;
  if ((card.vdc_input_get_enabled_window() & kInputWindowBit) != 0) {
    card.vdc_input_get_scale(&x, &y, &width, &height);
  } else {
    card.vdc_output_get_scale(&x, &y, &width, &height);
  }
  // The sizes come from outside: every buffer and field offset follows them.
  if (!ValidFrameSize(width, height))
    return kErrVideoParameters;
  frameWidth = width;
  frameHeight = height;

  Release(alphaMap);
  try {
    alphaMap.resize(static_cast<size_t>(frameWidth) * static_cast<size_t>(frameHeight));
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }

  board = CardClaim(card, kResourceBoard);
  if (!board.Held())
    return kErrResources;

  // The alpha memory and the mixer only for as long as they are set up,
  // and only when the card lets the program have them.
  if (const CardClaim alpha(card, kResourceAlpha); alpha.Held()) {
    card.vdc_Stop();
    card.vdc_ReleaseVideoFifo();
    card.vdc_ResetCounter(1, 0);
    std::fill(alphaMap.begin(), alphaMap.end(), uint8_t{0});
    card.vdc_SetFormat(frameWidth, frameHeight, 0, 0);
    card.vdc_put_alpha(alphaMap.data(), alphaMap.data(), frameWidth * (frameHeight / 2));
  }
  if (const CardClaim mixer(card, kResourceMixer); mixer.Held()) {
    card.vdc_mixer_alpha_set(0);
    card.vdc_mixer_blender_set(2);
  }
  initialised = true;
  return kOk;
}

int32_t OrvaneDevice::StartPlayback() {
  if (!initialised)
    return kErrDeviceInit;
  if (!HasPattern())
    return kErrNoMemory;
  const OrvinterApi& card = binding.Api();
  const int64_t ringBytes = int64_t{frameWidth} * frameHeight + int64_t{kFifoGuardKiB} * 1024;
  std::lock_guard guard(queueGuard);
  if (session.HoldsAnything()) {
    // Started again before a Stop: the card refuses the FIFO's DMA, which
    // the held session has, and that session stays as it is.
    PlaybackSession again;
    return again.Claim(card, ringBytes);
  }
  const int32_t code = session.Claim(card, ringBytes);
  if (code != kOk)
    return code;

  card.vdc_SetFormat(frameWidth, frameHeight, 0, 0);
  card.vdc_Pause();
  card.vdc_ResetCounter(1, 0);
  frameCounter = 0;
  streaming = true;
  return kOk;
}

void OrvaneDevice::StopPlayback() {
  if (!initialised)
    return;
  std::lock_guard guard(queueGuard);
  streaming = false;
  session.End();
}

void OrvaneDevice::Close() {
  if (!libraryLoaded)
    return;
  std::lock_guard guard(queueGuard);
  streaming = false;
  session.ReleaseFifo();
  Release(pattern);
  Release(alphaMap);
  binding.Api().vdc_unregister_all();
  session.ForgetClaims();
  board.Forget();
  initialised = false;
  binding.Unbind();
  libraryLoaded = false;
}

bool OrvaneDevice::SetPattern(const uint8_t* source, int32_t patternWidth, int32_t patternHeight) {
  std::lock_guard guard(queueGuard);
  if (source == nullptr || patternWidth <= 0 || patternHeight <= 0) {
    Release(pattern);
    return false;
  }
  return ScaleToFieldSplit(pattern, frameWidth, frameHeight, source, patternWidth, patternHeight);
}

bool OrvaneDevice::HasPattern() const {
  // A pattern set before Open changed the frame size does not fit the card.
  return !pattern.empty() &&
         pattern.size() == static_cast<size_t>(frameWidth) * static_cast<size_t>(frameHeight);
}

void OrvaneDevice::ShowAlpha(int32_t p, int32_t w) {
  if (!initialised || !HasPattern())
    return;
  const size_t bytes = pattern.size();
  BuildTransitionTable(table, p, w);
  ApplyTransitionTable(alphaMap.data(), pattern.data(), table, bytes);
  const size_t half = bytes / 2;
  binding.Api().vdc_put_alpha(alphaMap.data(), alphaMap.data() + half, static_cast<int32_t>(half));
}

bool OrvaneDevice::QueueFrame(int32_t p1, int32_t p2, int32_t w) {
  std::unique_lock guard(queueGuard, std::try_to_lock);
  // A FIFO held after a failed start is no playback to queue into.
  if (!guard.owns_lock() || !streaming || !HasPattern())
    return false;
  const OrvinterApi& card = binding.Api();
  const int32_t frameBytes = frameWidth * frameHeight;
  const int32_t e = card.vdc_CheckFreeSize(frameBytes, kFifoGuardKiB);
  const FifoLease& fifo = session.Fifo();
  // An offset outside the ring is no place to write to: no room either.
  if (e < 0 || e >= fifo.Size())
    return false;

  const size_t ring = static_cast<size_t>(fifo.Size());
  uint8_t* const fifoBase = fifo.Base();
  const size_t fieldBytes = static_cast<size_t>(frameBytes) / 2;
  const size_t top = static_cast<size_t>(e);
  BuildTransitionTable(queueTables[0], p1, w);
  BuildTransitionTable(queueTables[1], p2, w);
  // Only a frame whose two fields are both in the ring is announced.
  if (!WriteFieldToFifo(fifoBase, top, ring, fieldBytes, pattern.data(), queueTables[0]) ||
      !WriteFieldToFifo(fifoBase, (top + fieldBytes) % ring, ring, fieldBytes,
                        pattern.data() + fieldBytes, queueTables[1])) {
    return false;
  }

  const int32_t field = static_cast<int32_t>(fieldBytes);
  card.vdc_AddData(frameCounter, 0, kAddFieldData, field);
  card.vdc_AddData(frameCounter, 1, kAddFieldData, field);
  card.vdc_AddData(frameCounter, 0, kAddEndOfFrame, 0);
  ++frameCounter;
  return true;
}
