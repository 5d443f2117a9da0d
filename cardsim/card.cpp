#include "cardsim/card.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "device/orvinter_exports.h"

namespace {

struct ValueRange {
  int32_t initial, low, high;
};

constexpr ValueRange kRanges[] = {
#define CARD_VALUE(name, initial, low, high) {initial, low, high},
#include "cardsim/card_values.inc"
#undef CARD_VALUE
};

// The card's alpha memory holds two fields of up to 2 MiB each.
constexpr int32_t kMaxAlphaFieldBytes = 2 * 1024 * 1024;

uint32_t Fnv1a(const std::vector<uint8_t>& bytes) {
  uint32_t h = 2166136261u;
  for (uint8_t b : bytes) {
    h ^= b;
    h *= 16777619u;
  }
  return h;
}

bool ValidScale(const Card::Scale& s) {
  return s.x >= 0 && s.y >= 0 && s.width >= 1 && s.height >= 1 && s.width <= kMaxScaleSide &&
         s.height <= kMaxScaleSide;
}

bool ValidResource(int32_t n) {
  return n >= 0 && n < kResourceCount;
}

Card theCard;

}  // namespace

Card& TheCard() {
  return theCard;
}

Card::Card() : settings_(ReadCardSettings()) {
  standard_ = settings_.standard;
  enabledWindow_ = settings_.enabledWindow;
  input_ = Scale{0, 0, settings_.inputWidth, settings_.inputHeight};
  output_ = Scale{0, 0, settings_.outputWidth, settings_.outputHeight};
  for (int v = 0; v < kValueCount; ++v)
    values_[v] = kRanges[v].initial;
  values_[kInputStandart] = standard_;
  i2c_.assign(kI2cDevices * 256, 0);
  memory_.assign(kBoardMemory, 0);
  // Alpha memory comes up opaque, whatever the program will put there.
  still_.assign(static_cast<size_t>(output_.width) * static_cast<size_t>(output_.height), 255);
  jitterUs_.store(settings_.jitterUs);
  freeSizeDelayUs_.store(settings_.freeSizeDelayUs);
}

Card::~Card() {
  JoinConsumer();
}

int32_t Card::Standard() {
  std::lock_guard lock(state_);
  return standard_;
}

bool Card::SetStandard(int32_t standard) {
  std::lock_guard lock(state_);
  if (running_ || standard < 0 || standard > 255)
    return false;
  standard_ = standard;
  StandardFrameSize(standard, output_.width, output_.height);
  output_.x = output_.y = 0;
  return true;
}

int32_t Card::EnabledWindow() {
  std::lock_guard lock(state_);
  return enabledWindow_;
}

void Card::SetEnabledWindow(int32_t bits) {
  std::lock_guard lock(state_);
  enabledWindow_ = bits;
}

Card::Scale Card::InputScale() {
  std::lock_guard lock(state_);
  return input_;
}

Card::Scale Card::OutputScale() {
  std::lock_guard lock(state_);
  return output_;
}

bool Card::SetInputScale(const Scale& s) {
  if (!ValidScale(s))
    return false;
  std::lock_guard lock(state_);
  input_ = s;
  return true;
}

bool Card::SetOutputScale(const Scale& s) {
  if (!ValidScale(s))
    return false;
  std::lock_guard lock(state_);
  if (running_)
    return false;
  output_ = s;
  return true;
}

void Card::SetFaults(uint32_t unavailable, bool fifoFails, int32_t fifoMemory) {
  std::lock_guard lock(state_);
  settings_.unavailable = unavailable;
  settings_.fifoFails = fifoFails;
  if (fifoMemory >= kMinFifoBytes)
    settings_.fifoMemory = fifoMemory;
}

int32_t Card::FifoMemory() {
  std::lock_guard lock(state_);
  return settings_.fifoMemory;
}

void Card::SetStalled(bool stalled) {
  std::lock_guard lock(state_);
  settings_.stalled = stalled;
}

void Card::HoldConsumer(bool held) {
  {
    std::lock_guard wake(wakeMutex_);
    consumerHeld_ = held;
  }
  wake_.notify_all();
}

void Card::SetJitter(int32_t microseconds) {
  jitterUs_.store(std::clamp(microseconds, 0, kMaxDelayUs));
}

void Card::SetFreeSizeDelay(int32_t microseconds) {
  freeSizeDelayUs_.store(std::clamp(microseconds, 0, kMaxDelayUs));
}

bool Card::Register(int32_t n) {
  if (!ValidResource(n))
    return false;
  std::lock_guard lock(state_);
  ++registerCalls_[n];
  const uint32_t bit = 1u << n;
  if ((settings_.unavailable & bit) != 0 || (held_ & bit) != 0)
    return false;
  held_ |= bit;
  return true;
}

bool Card::Unregister(int32_t n) {
  std::lock_guard lock(state_);
  // Giving back what the program does not hold frees nothing, least of all
  // a claim held elsewhere; the program's stop releases its streaming set
  // whatever it got, so this is counted apart from the protocol errors.
  if (!ValidResource(n) || !HeldLocked(n)) {
    ++strayReleases_;
    return false;
  }
  held_ &= ~(1u << n);
  return true;
}

void Card::UnregisterAll() {
  std::lock_guard lock(state_);
  held_ = 0;
}

bool Card::Registered(int32_t n) {
  if (!ValidResource(n))
    return false;
  std::lock_guard lock(state_);
  return HeldLocked(n);
}

bool Card::StreamingClaimedLocked() const {
  return HeldLocked(kResourceBoard) && HeldLocked(kResourceAlpha) &&
         (HeldLocked(kResourceFrameInterrupt) ||
          (settings_.unavailable & (1u << kResourceFrameInterrupt)) != 0);
}

int32_t Card::RegisterCalls(int32_t n) {
  if (!ValidResource(n))
    return 0;
  std::lock_guard lock(state_);
  return registerCalls_[n];
}

bool Card::SetValue(Value v, int32_t value) {
  if (value < kRanges[v].low || value > kRanges[v].high)
    return false;
  std::lock_guard lock(state_);
  values_[v] = value;
  return true;
}

int32_t Card::GetValue(Value v) {
  std::lock_guard lock(state_);
  return values_[v];
}

bool Card::SetFormat(int32_t width, int32_t height, int32_t pixelFormat, int32_t flags) {
  // Interlaced frames only, of 8-bit alpha (pixel format 0, no flags).
  if (width < 1 || height < 2 || width > kMaxScaleSide || height > kMaxScaleSide ||
      height % 2 != 0 || pixelFormat != 0 || flags != 0) {
    return false;
  }
  std::lock_guard lock(state_);
  if (running_)
    return false;
  formatWidth_ = width;
  formatHeight_ = height;
  return true;
}

void Card::Format(int32_t& width, int32_t& height) {
  std::lock_guard lock(state_);
  width = formatWidth_;
  height = formatHeight_;
}

size_t Card::FieldBytesLocked() const {
  const Scale& frame = formatWidth_ > 0 ? Scale{0, 0, formatWidth_, formatHeight_} : output_;
  return static_cast<size_t>(frame.width) * static_cast<size_t>(frame.height) / 2;
}

bool Card::PutAlpha(const uint8_t* top, const uint8_t* bottom, int32_t fieldBytes) {
  {
    // The alpha memory takes fields of the frame the card is set to, no
    // other size.
    std::lock_guard lock(state_);
    if (top == nullptr || bottom == nullptr || fieldBytes <= 0 ||
        fieldBytes > kMaxAlphaFieldBytes || static_cast<size_t>(fieldBytes) != FieldBytesLocked()) {
      ++refusedCalls_;
      return false;
    }
  }
  const size_t field = static_cast<size_t>(fieldBytes);
  std::lock_guard lock(picture_);
  try {
    still_.resize(2 * field);
  } catch (const std::bad_alloc&) {
    return false;
  }
  std::memcpy(still_.data(), top, field);
  std::memcpy(still_.data() + field, bottom, field);
  return true;
}

bool Card::GetStillAlpha(uint8_t* top, uint8_t* bottom, int32_t fieldBytes) {
  if (top == nullptr || bottom == nullptr || fieldBytes <= 0)
    return false;
  const size_t field = static_cast<size_t>(fieldBytes);
  std::lock_guard lock(picture_);
  if (still_.size() != 2 * field)
    return false;
  std::memcpy(top, still_.data(), field);
  std::memcpy(bottom, still_.data() + field, field);
  return true;
}

int32_t Card::CopyShown(uint8_t* destination, int32_t bytes) {
  std::lock_guard lock(picture_);
  const std::vector<uint8_t>& picture = showingFifo_ ? shown_ : still_;
  if (destination == nullptr || bytes < 0 || static_cast<size_t>(bytes) != picture.size()) {
    return -2;
  }
  std::memcpy(destination, picture.data(), picture.size());
  return showingFifo_ ? shownFrame_ : -1;
}

uint32_t Card::ShownChecksum() {
  std::lock_guard lock(picture_);
  return Fnv1a(showingFifo_ ? shown_ : still_);
}

int32_t Card::Status() {
  std::lock_guard lock(state_);
  int32_t bits = 0;
  if (fifo_.Allocated())
    bits |= 1;
  if (running_)
    bits |= 2;
  if (paused_)
    bits |= 4;
  if (HeldLocked(kResourceBoard))
    bits |= 8;
  return bits;
}

void Card::InitValues() {
  std::lock_guard lock(state_);
  for (int v = 0; v < kValueCount; ++v)
    values_[v] = kRanges[v].initial;
  values_[kInputStandart] = standard_;
}

int32_t Card::ErrorsSinceClear() {
  std::lock_guard lock(state_);
  return fifo_.ProtocolErrors() + refusedCalls_ - errorMark_;
}

void Card::ClearErrors() {
  std::lock_guard lock(state_);
  errorMark_ = fifo_.ProtocolErrors() + refusedCalls_;
}

void Card::Reset() {
  JoinConsumer();
  std::lock_guard consume(consume_);
  {
    std::lock_guard lock(state_);
    running_ = false;
    paused_ = false;
    fifo_.Release();
    held_ = 0;
    for (int v = 0; v < kValueCount; ++v)
      values_[v] = kRanges[v].initial;
    values_[kInputStandart] = standard_;
    formatWidth_ = formatHeight_ = 0;
  }
  std::lock_guard picture(picture_);
  showingFifo_ = false;
}
