#include "device/card_claim.h"

#include <utility>

#include "device/orvinter_binding.h"

CardClaim::CardClaim(const OrvinterApi& card, int32_t resource) : resource_(resource) {
  if (card.vdc_register(resource) != 0)
    card_ = &card;
}

CardClaim::CardClaim(CardClaim&& other) noexcept
    : card_(std::exchange(other.card_, nullptr)), resource_(other.resource_) {}

CardClaim& CardClaim::operator=(CardClaim&& other) noexcept {
  if (this != &other) {
    Release();
    card_ = std::exchange(other.card_, nullptr);
    resource_ = other.resource_;
  }
  return *this;
}

void CardClaim::Release() {
  if (const OrvinterApi* card = std::exchange(card_, nullptr))
    card->vdc_unregister(resource_);
}
