#include "cli/video_standard.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

#include "support/time_code.h"

bool ParseVideoStandard(const std::string& text, VideoStandard& standard) {
  std::string lower = text;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  for (const VideoStandard& s : {kNtsc, kPal}) {
    if (lower == s.name) {
      standard = s;
      return true;
    }
  }
  return false;
}

bool ParseDuration(const std::string& text, float frameRate, int32_t& ms) {
  if (text.empty())
    return false;
  if (text.find(':') == std::string::npos) {
    int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || p != end)
      return false;
    ms = value;
    return true;
  }
  // HH:MM:SS:FF, two digits a field.
  if (text.size() != 11)
    return false;
  std::string digits;
  for (size_t i = 0; i < text.size(); ++i) {
    const bool separator = i % 3 == 2;
    if (separator ? text[i] != ':' : !std::isdigit(static_cast<unsigned char>(text[i])))
      return false;
    if (!separator)
      digits.push_back(text[i]);
  }
  const auto field = [&](size_t k) {
    return (digits[2 * k] - '0') * 10 + (digits[2 * k + 1] - '0');
  };
  const int32_t framesPerSecond = static_cast<int32_t>(std::lround(frameRate));
  if (field(1) > 59 || field(2) > 59 || field(3) >= framesPerSecond)
    return false;
  ms = ParseTimeDigits(digits, 1, frameRate);
  return true;
}
