// The board's registers, i2c devices and memory, its video frame and key
// table.

#include <cstring>
#include <new>

#include "cardsim/card.h"

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
