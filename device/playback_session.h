#pragma once

#include <cstdint>

#include "device/card_claim.h"
#include "device/fifo_lease.h"

struct OrvinterApi;

// What the card lends for one playback: the FIFO's DMA (resource 9), the
// alpha memory (7), the frame interrupt (8) and the video FIFO. Whatever was
// had stays held until the session ends, also when a later claim failed;
// ending it (End, or destruction) gives back exactly what was had: the FIFO
// first, then 9, 8 and 7, in that order.
class PlaybackSession {
 public:
  // The ring playback asks the card for.
  static constexpr int32_t kRequestedFifoBytes = 0x400000;

  PlaybackSession() = default;
  ~PlaybackSession() { End(); }
  PlaybackSession(const PlaybackSession&) = delete;
  PlaybackSession& operator=(const PlaybackSession&) = delete;

  // Claims 9, then 7 (not tried when 9 was refused), then 8 (which the card
  // may refuse: playback does without it), then the FIFO, which must hold
  // at least ringBytes. 0, kErrResources when 9 or 7 was refused, or
  // kErrDriverMemory when the FIFO was refused or is too small. For an
  // empty session only.
  int32_t Claim(const OrvinterApi& card, int64_t ringBytes);

  // Something is held that ending the session gives back.
  bool HoldsAnything() const;
  const FifoLease& Fifo() const { return fifo_; }

  // Gives back everything held, in the order above; the session is empty
  // afterwards and may claim again.
  void End();
  // Gives the FIFO back alone.
  void ReleaseFifo() { fifo_.Release(); }
  // The card has let go of every claim at once (vdc_unregister_all): the
  // resources are no longer the session's to give back.
  void ForgetClaims();

 private:
  // In reverse of the order End gives them back, as members are destroyed.
  CardClaim alpha_;           // 7
  CardClaim frameInterrupt_;  // 8
  CardClaim fifoDma_;         // 9
  FifoLease fifo_;
};
