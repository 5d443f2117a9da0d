#include "cardsim/card.h"

#include <algorithm>
#include <chrono>
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

constexpr size_t kI2cDevices = 128;
constexpr size_t kI2cBytes = kI2cDevices * 256;
constexpr size_t kBoardMemory = 65536;
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
  i2c_.assign(kI2cBytes, 0);
  memory_.assign(kBoardMemory, 0);
  // Alpha memory comes up opaque, whatever the program will put there.
  still_.assign(static_cast<size_t>(output_.width) * static_cast<size_t>(output_.height), 255);
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
  if (!ValidResource(n))
    return false;
  std::lock_guard lock(state_);
  const uint32_t bit = 1u << n;
  const bool was = (held_ & bit) != 0;
  held_ &= ~bit;
  return was;
}

void Card::UnregisterAll() {
  std::lock_guard lock(state_);
  held_ = 0;
}

bool Card::Registered(int32_t n) {
  if (!ValidResource(n))
    return false;
  std::lock_guard lock(state_);
  return (held_ & (1u << n)) != 0;
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
  formatPixel_ = pixelFormat;
  formatFlags_ = flags;
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
  if (top == nullptr || bottom == nullptr || fieldBytes <= 0 || fieldBytes > kMaxAlphaFieldBytes) {
    return false;
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

uint8_t* Card::AllocVideoFifo(int32_t* size) {
  if (size == nullptr || *size <= 0)
    return nullptr;
  std::lock_guard consume(consume_);
  std::lock_guard lock(state_);
  if ((held_ & (1u << kResourceFifoDma)) == 0 || settings_.fifoFails || fifo_.Allocated()) {
    return nullptr;
  }
  size_t bytes =
      std::min<size_t>(static_cast<size_t>(*size), static_cast<size_t>(settings_.fifoMemory));
  bytes = std::max<size_t>(bytes / 4096 * 4096, kMinFifoBytes);
  if (!fifo_.Allocate(bytes))
    return nullptr;
  fifo_.SetExpectedFrame(0);
  *size = static_cast<int32_t>(bytes);
  return fifo_.Base();
}

bool Card::ReleaseVideoFifo() {
  JoinConsumer();
  std::lock_guard consume(consume_);
  bool had = false;
  {
    std::lock_guard lock(state_);
    running_ = false;
    paused_ = false;
    had = fifo_.Allocated();
    fifo_.Release();
  }
  std::lock_guard picture(picture_);
  showingFifo_ = false;
  return had;
}

bool Card::Run() {
  {
    std::lock_guard lock(state_);
    if (!fifo_.Allocated())
      return false;
    running_ = true;
    paused_ = false;
  }
  if (consumer_.joinable())
    return true;
  {
    std::lock_guard wake(wakeMutex_);
    quit_ = false;
  }
  try {
    consumer_ = std::thread(&Card::ConsumerMain, this);
  } catch (...) {
    std::lock_guard lock(state_);
    running_ = false;
    return false;
  }
  return true;
}

bool Card::Pause() {
  std::lock_guard lock(state_);
  if (!running_)
    return false;
  paused_ = true;
  return true;
}

void Card::Stop() {
  JoinConsumer();
  std::lock_guard consume(consume_);
  {
    std::lock_guard lock(state_);
    running_ = false;
    paused_ = false;
    if (fifo_.Allocated())
      fifo_.Clear();
  }
  std::lock_guard picture(picture_);
  showingFifo_ = false;
}

void Card::JoinConsumer() {
  if (!consumer_.joinable())
    return;
  {
    std::lock_guard wake(wakeMutex_);
    quit_ = true;
  }
  wake_.notify_all();
  consumer_.join();
}

void Card::ConsumerMain() {
  // The period as a fraction of nanoseconds, so frame k is due at exactly
  // k periods after the start and the timing never drifts.
  int64_t numerator = 40000000, denominator = 1;
  {
    std::lock_guard lock(state_);
    if (standard_ == kNtscStandard) {
      numerator = 1001000000;
      denominator = 30;
    }
  }
  using Clock = std::chrono::steady_clock;
  const Clock::time_point start = Clock::now();
  auto due = [&](int64_t tick) {
    return start + std::chrono::nanoseconds(tick * numerator / denominator);
  };
  int64_t ticks = 0;
  std::unique_lock wake(wakeMutex_);
  while (!quit_) {
    if (wake_.wait_until(wake, due(ticks + 1), [this] { return quit_; }))
      break;
    wake.unlock();
    // A late wake-up still gives every period its frame, as the display
    // would have taken them.
    const Clock::time_point now = Clock::now();
    while (due(ticks + 1) <= now) {
      ++ticks;
      std::lock_guard consume(consume_);
      bool take = false;
      {
        std::lock_guard lock(state_);
        take = running_ && !paused_ && !settings_.stalled;
      }
      if (take && !ShowOldestFrame()) {
        std::lock_guard lock(state_);
        ++underruns_;
      }
    }
    wake.lock();
  }
}

bool Card::ShowOldestFrame() {
  VideoFifo::Record record;
  const uint8_t* base = nullptr;
  size_t ring = 0;
  {
    std::lock_guard lock(state_);
    const VideoFifo::Record* oldest = fifo_.OldestWholeFrame();
    if (oldest == nullptr)
      return false;
    record = *oldest;
    base = fifo_.Base();
    ring = fifo_.Size();
  }
  // The frame's bytes stay in use until it is popped below, so the writer
  // cannot reach them while they are copied without the state lock.
  {
    std::lock_guard picture(picture_);
    try {
      shown_.resize(record.bytes);
      const size_t head = std::min(record.bytes, ring - record.start);
      std::memcpy(shown_.data(), base + record.start, head);
      std::memcpy(shown_.data() + head, base, record.bytes - head);
      shownFrame_ = record.number;
      showingFifo_ = true;
    } catch (const std::bad_alloc&) {
      // The frame is lost to the display but still leaves the FIFO.
    }
  }
  std::lock_guard lock(state_);
  fifo_.PopOldest();
  ++framesShown_;
  shownNumber_ = record.number;
  fieldCounter_ += 2;
  return true;
}

bool Card::ResetCounter(int32_t counter, int32_t value) {
  std::lock_guard lock(state_);
  if (counter == 0) {
    fieldCounter_ = value;
    return true;
  }
  if (counter == 1) {
    fifo_.SetExpectedFrame(value);
    return true;
  }
  return false;
}

int32_t Card::Counter(int32_t counter) {
  std::lock_guard lock(state_);
  if (counter == 0)
    return fieldCounter_;
  if (counter == 1)
    return fifo_.ExpectedFrame();
  return -1;
}

int32_t Card::CheckFreeSize(int32_t bytes, int32_t guardKiB) {
  std::lock_guard lock(state_);
  return fifo_.CheckFreeSize(bytes, guardKiB);
}

bool Card::AddData(int32_t frame, int32_t field, int32_t kind, int32_t bytes) {
  std::lock_guard lock(state_);
  ++announcements_;
  return fifo_.Announce(frame, field, kind, bytes, FieldBytesLocked());
}

int32_t Card::Flush() {
  std::lock_guard consume(consume_);
  std::lock_guard lock(state_);
  return fifo_.Allocated() ? fifo_.Flush() : 0;
}

int32_t Card::FreeSize() {
  std::lock_guard lock(state_);
  return static_cast<int32_t>(fifo_.FreeBytes());
}

int32_t Card::FifoSize() {
  std::lock_guard lock(state_);
  return static_cast<int32_t>(fifo_.Size());
}

int32_t Card::QueuedFrames() {
  std::lock_guard lock(state_);
  return fifo_.WholeFrames();
}

bool Card::MoveFifoOrigin(int32_t offset) {
  if (offset < 0)
    return false;
  std::lock_guard consume(consume_);
  std::lock_guard lock(state_);
  return fifo_.MoveOrigin(static_cast<size_t>(offset));
}

int32_t Card::ConsumeNow(int32_t frames) {
  std::lock_guard consume(consume_);
  int32_t shown = 0;
  while (shown < frames && ShowOldestFrame())
    ++shown;
  return shown;
}

int32_t Card::ShownFrameNumber() {
  std::lock_guard lock(state_);
  return shownNumber_;
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
  if ((held_ & (1u << kResourceBoard)) != 0)
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
  return fifo_.ProtocolErrors() - errorMark_;
}

void Card::ClearErrors() {
  std::lock_guard lock(state_);
  errorMark_ = fifo_.ProtocolErrors();
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
    formatWidth_ = formatHeight_ = formatPixel_ = formatFlags_ = 0;
  }
  std::lock_guard picture(picture_);
  showingFifo_ = false;
}

int32_t Card::FramesShown() {
  std::lock_guard lock(state_);
  return framesShown_;
}

int32_t Card::Underruns() {
  std::lock_guard lock(state_);
  return underruns_;
}

int32_t Card::ProtocolErrors() {
  std::lock_guard lock(state_);
  return fifo_.ProtocolErrors();
}

int32_t Card::Announcements() {
  std::lock_guard lock(state_);
  return announcements_;
}

int32_t Card::ReadRegister(int32_t reg) {
  if (reg < 0 || reg >= static_cast<int32_t>(registers_.size()))
    return -1;
  std::lock_guard lock(state_);
  return registers_[reg];
}

bool Card::WriteRegister(int32_t reg, int32_t value) {
  if (reg < 0 || reg >= static_cast<int32_t>(registers_.size()))
    return false;
  std::lock_guard lock(state_);
  registers_[reg] = value;
  return true;
}

int32_t Card::ReadI2c(int32_t device, int32_t subaddress) {
  if (device < 0 || device >= static_cast<int32_t>(kI2cDevices) || subaddress < 0 ||
      subaddress > 255) {
    return -1;
  }
  std::lock_guard lock(state_);
  return i2c_[static_cast<size_t>(device) * 256 + static_cast<size_t>(subaddress)];
}

bool Card::WriteI2c(int32_t device, int32_t subaddress, int32_t value) {
  if (device < 0 || device >= static_cast<int32_t>(kI2cDevices) || subaddress < 0 ||
      subaddress > 255 || value < 0 || value > 255) {
    return false;
  }
  std::lock_guard lock(state_);
  i2c_[static_cast<size_t>(device) * 256 + static_cast<size_t>(subaddress)] =
      static_cast<uint8_t>(value);
  return true;
}

int32_t Card::ReadMemory(int32_t offset) {
  if (offset < 0 || static_cast<size_t>(offset) >= kBoardMemory)
    return -1;
  std::lock_guard lock(state_);
  return memory_[static_cast<size_t>(offset)];
}

bool Card::WriteMemory(int32_t offset, int32_t value) {
  if (offset < 0 || static_cast<size_t>(offset) >= kBoardMemory || value < 0 || value > 255) {
    return false;
  }
  std::lock_guard lock(state_);
  memory_[static_cast<size_t>(offset)] = static_cast<uint8_t>(value);
  return true;
}

int32_t Card::VideoFrameBytes() {
  std::lock_guard lock(state_);
  // 4:2:2, two bytes per pixel.
  return output_.width * output_.height * 2;
}

bool Card::PutVideoData(const uint8_t* data, int32_t bytes) {
  if (data == nullptr || bytes <= 0 || bytes != VideoFrameBytes())
    return false;
  std::lock_guard lock(state_);
  try {
    videoFrame_.assign(data, data + bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

bool Card::GetVideoData(uint8_t* data, int32_t bytes) {
  if (data == nullptr || bytes <= 0 || bytes != VideoFrameBytes())
    return false;
  std::lock_guard lock(state_);
  if (videoFrame_.size() == static_cast<size_t>(bytes)) {
    std::memcpy(data, videoFrame_.data(), videoFrame_.size());
  } else {
    // Nothing put yet: black, as U Y V Y.
    for (int32_t k = 0; k < bytes; ++k)
      data[k] = (k % 2 == 0) ? 0x80 : 0x10;
  }
  return true;
}

bool Card::WriteKeyTable(const uint8_t* table, int32_t entries) {
  if (table == nullptr || entries != static_cast<int32_t>(keyTable_.size()))
    return false;
  std::lock_guard lock(state_);
  std::memcpy(keyTable_.data(), table, keyTable_.size());
  return true;
}

bool Card::ReadKeyTable(uint8_t* table, int32_t entries) {
  if (table == nullptr || entries != static_cast<int32_t>(keyTable_.size()))
    return false;
  std::lock_guard lock(state_);
  std::memcpy(table, keyTable_.data(), keyTable_.size());
  return true;
}
