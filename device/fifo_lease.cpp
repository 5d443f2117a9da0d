#include "device/fifo_lease.h"

#include <utility>

#include "device/orvinter_binding.h"

FifoLease::FifoLease(const OrvinterApi& card, int32_t requestedBytes) {
  int32_t size = requestedBytes;
  uint8_t* base = card.vdc_AllocVideoFifo(&size);
  if (base == nullptr)
    return;
  card_ = &card;
  base_ = base;
  size_ = size;
}

FifoLease::FifoLease(FifoLease&& other) noexcept
    : card_(std::exchange(other.card_, nullptr)),
      base_(std::exchange(other.base_, nullptr)),
      size_(std::exchange(other.size_, 0)) {}

FifoLease& FifoLease::operator=(FifoLease&& other) noexcept {
  if (this != &other) {
    Release();
    card_ = std::exchange(other.card_, nullptr);
    base_ = std::exchange(other.base_, nullptr);
    size_ = std::exchange(other.size_, 0);
  }
  return *this;
}

void FifoLease::Release() {
  const OrvinterApi* card = std::exchange(card_, nullptr);
  base_ = nullptr;
  size_ = 0;
  if (card != nullptr) {
    card->vdc_Stop();
    card->vdc_ReleaseVideoFifo();
  }
}
