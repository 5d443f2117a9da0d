#pragma once

#include <cstdint>

struct OrvinterApi;

// The card's video FIFO while the program borrows it: allocated with
// vdc_AllocVideoFifo when made; when destroyed the card's FIFO playback is
// stopped (vdc_Stop) and the ring given back (vdc_ReleaseVideoFifo). A
// request the card refused holds nothing and gives nothing back. Moving
// leaves the source empty.
class FifoLease {
 public:
  FifoLease() = default;
  // Asks for a ring of requestedBytes; the card may lend another size.
  FifoLease(const OrvinterApi& card, int32_t requestedBytes);
  ~FifoLease() { Release(); }
  FifoLease(FifoLease&& other) noexcept;
  FifoLease& operator=(FifoLease&& other) noexcept;
  FifoLease(const FifoLease&) = delete;
  FifoLease& operator=(const FifoLease&) = delete;

  bool Held() const { return base_ != nullptr; }
  // The ring and its size as the card lent them; nullptr and 0 when none.
  uint8_t* Base() const { return base_; }
  int32_t Size() const { return size_; }
  // Stops the FIFO playback and gives the ring back now; nothing when none
  // is held.
  void Release();

 private:
  const OrvinterApi* card_ = nullptr;
  uint8_t* base_ = nullptr;
  int32_t size_ = 0;
};
