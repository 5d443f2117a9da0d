#pragma once

#include <cstdint>

// What the simulated card is, and which faults it shows, as read from the
// ORVINTER_SIM_* variables when the library is loaded.
struct CardSettings {
  int32_t status = 1;
  int32_t version = 1072;
  int32_t standard = 2;
  int32_t outputWidth = 640;
  int32_t outputHeight = 480;
  int32_t inputWidth = 640;
  int32_t inputHeight = 480;
  int32_t enabledWindow = 1;
  uint32_t unavailable = 0;  // bit n: resource n is held by someone else
  bool fifoFails = false;
  int32_t fifoMemory = 16 * 1024 * 1024;
  bool stalled = false;
  int32_t jitterUs = 0;         // the consumer's wake-ups late by up to this
  int32_t freeSizeDelayUs = 0;  // every vdc_CheckFreeSize takes this long
};

inline constexpr int32_t kNtscStandard = 2;
inline constexpr int32_t kResourceCount = 32;
inline constexpr int32_t kMaxScaleSide = 8192;
inline constexpr int32_t kMinFifoBytes = 65536;
// The longest jitter or free-space delay a setting may ask for: one second.
inline constexpr int32_t kMaxDelayUs = 1000000;

// Reads the environment; a value that cannot be read is reported on stderr
// and the default kept.
CardSettings ReadCardSettings();

// The frame size a standard comes up with.
void StandardFrameSize(int32_t standard, int32_t& width, int32_t& height);
