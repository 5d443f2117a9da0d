#pragma once

#include <cstdint>
#include <string>

// The card's two output standards, as the command line names them.
struct VideoStandard {
  const char* name;
  int32_t width;
  int32_t height;
  float frameRate;
};

inline constexpr VideoStandard kNtsc{"ntsc", 640, 480, 29.97f};
inline constexpr VideoStandard kPal{"pal", 768, 576, 25.0f};

// "ntsc" or "pal", in any case.
bool ParseVideoStandard(const std::string& text, VideoStandard& standard);

// A duration given as whole milliseconds ("1000") or as a time code
// HH:MM:SS:FF whose frames count at frameRate ("00:00:01:00"). False for
// anything else, including a time code with minutes or seconds past 59 or a
// frame number the rate does not have. No range check beyond that.
bool ParseDuration(const std::string& text, float frameRate, int32_t& ms);
