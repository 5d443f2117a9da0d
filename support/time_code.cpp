#include "support/time_code.h"

#include <cassert>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

// Truncates toward zero; values beyond int32 saturate instead of being
// undefined (a garbage digit string can denote billions of frames).
int32_t TruncateToInt32(double v) {
  if (!(v > -2147483648.0))
    return v != v ? 0 : INT32_MIN;
  if (v >= 2147483647.0)
    return INT32_MAX;
  return static_cast<int32_t>(v);
}

}  // namespace

int32_t MsToFrames(int32_t ms, float fps) {
  // The order matters: ms * fps first, then * 0.001, then the bias.
  const double frames = static_cast<double>(ms) * static_cast<double>(fps) * 0.001 + 0.499;
  return TruncateToInt32(frames);
}

int32_t FramesToMs(int32_t frames, float fps) {
  const double ms = static_cast<double>(frames) * 1000.0 / static_cast<double>(fps) + 0.499;
  return TruncateToInt32(ms);
}

std::string FormatTime(int32_t ms, int32_t mode, float fps) {
  char text[48];
  if (mode == 2) {
    std::snprintf(text, sizeof text, "%ld", static_cast<long>(MsToFrames(ms, fps)));
  } else if (mode == 1) {
    int32_t s = ms / 1000;
    int32_t f = MsToFrames(ms % 1000, fps);
    // A remainder that rounds up to a whole second carries into the seconds.
    if (FramesToMs(f, fps) >= 1000) {
      f = 0;
      s += 1;
    }
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%02d", static_cast<int>(s / 3600),
                  static_cast<int>((s / 60) % 60), static_cast<int>(s % 60), static_cast<int>(f));
  } else {
    std::snprintf(text, sizeof text, "%02d:%02d:%02d:%03d", static_cast<int>(ms / 3600000),
                  static_cast<int>((ms / 60000) % 60), static_cast<int>((ms / 1000) % 60),
                  static_cast<int>(ms % 1000));
  }
  return text;
}

int32_t TimeDigitCount(int32_t mode) {
  if (mode == 1)
    return 8;
  if (mode == 2)
    return 7;
  return 9;
}

int32_t ParseTimeDigits(std::string_view digits, int32_t mode, float fps) {
  const auto cell = [&](size_t i) -> int64_t {
    return i < digits.size() ? static_cast<int64_t>(digits[i]) - '0' : 0;
  };
  if (mode == 2) {
    int64_t v = 0;
    for (size_t i = 0; i < digits.size(); ++i)
      v = v * 10 + cell(i);
    return FramesToMs(static_cast<int32_t>(v), fps);
  }
  // Wide arithmetic: cells beyond '9' may come from a control's carry, and a
  // garbage cell must not overflow a signed int.
  const int64_t hms = (10 * cell(0) + cell(1)) * 3600000 + (10 * cell(2) + cell(3)) * 60000 +
                      (10 * cell(4) + cell(5)) * 1000;
  int64_t rest;
  if (mode == 1) {
    rest = FramesToMs(static_cast<int32_t>(10 * cell(6) + cell(7)), fps);
  } else {
    rest = 100 * cell(6) + 10 * cell(7) + cell(8);
  }
  return static_cast<int32_t>(hms + rest);
}

int32_t MulDivRound(int32_t a, int32_t b, int32_t c) {
  assert(c != 0);
  const uint64_t ua = static_cast<uint64_t>(std::llabs(a));
  const uint64_t ub = static_cast<uint64_t>(std::llabs(b));
  const uint64_t uc = static_cast<uint64_t>(std::llabs(c));
  const uint64_t q = (ua * ub + uc / 2) / uc;
  const bool negative = ((a < 0) + (b < 0) + (c < 0)) % 2 == 1;
  const uint32_t q32 = static_cast<uint32_t>(q);
  return negative ? static_cast<int32_t>(0u - q32) : static_cast<int32_t>(q32);
}
