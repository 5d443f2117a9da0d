#pragma once

#include <cstdint>

struct OrvinterApi;

// One numbered card resource the program holds: claimed with vdc_register
// when made, given back with vdc_unregister when destroyed. A claim the card
// refused holds nothing and gives nothing back, so a resource held elsewhere
// is never released on its owner's behalf. Moving leaves the source empty.
class CardClaim {
 public:
  CardClaim() = default;
  CardClaim(const OrvinterApi& card, int32_t resource);
  ~CardClaim() { Release(); }
  CardClaim(CardClaim&& other) noexcept;
  CardClaim& operator=(CardClaim&& other) noexcept;
  CardClaim(const CardClaim&) = delete;
  CardClaim& operator=(const CardClaim&) = delete;

  bool Held() const { return card_ != nullptr; }
  // Gives the resource back now; nothing when none is held.
  void Release();
  // The card has let go of every claim at once (vdc_unregister_all): this
  // one is no longer the program's to give back.
  void Forget() { card_ = nullptr; }

 private:
  const OrvinterApi* card_ = nullptr;
  int32_t resource_ = 0;
};
