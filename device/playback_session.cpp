#include "device/playback_session.h"

#include "device/orvinter_binding.h"
#include "support/error_codes.h"

int32_t PlaybackSession::Claim(const OrvinterApi& card, int64_t ringBytes) {
  // Claimed in another order than they go back in, so each is moved into
  // its place as it is had.
  fifoDma_ = CardClaim(card, kResourceFifoDma);
  if (!fifoDma_.Held())
    return kErrResources;
  alpha_ = CardClaim(card, kResourceAlpha);
  if (!alpha_.Held())
    return kErrResources;
  frameInterrupt_ = CardClaim(card, kResourceFrameInterrupt);

  fifo_ = FifoLease(card, kRequestedFifoBytes);
  if (!fifo_.Held())
    return kErrDriverMemory;
  // The card gives room only for a frame plus the stretch its DMA reads
  // ahead: a smaller ring would leave playback waiting for room for ever.
  if (fifo_.Size() < ringBytes)
    return kErrDriverMemory;
  return kOk;
}

bool PlaybackSession::HoldsAnything() const {
  return fifo_.Held() || fifoDma_.Held() || frameInterrupt_.Held() || alpha_.Held();
}

void PlaybackSession::End() {
  fifo_.Release();
  fifoDma_.Release();
  frameInterrupt_.Release();
  alpha_.Release();
}

void PlaybackSession::ForgetClaims() {
  fifoDma_.Forget();
  frameInterrupt_.Forget();
  alpha_.Forget();
}
