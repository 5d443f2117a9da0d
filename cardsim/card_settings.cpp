#include "cardsim/card_settings.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

void Complain(const char* name, const char* value) {
  std::fprintf(stderr, "liborvinter: ignoring %s=%s\n", name, value);
}

bool ParseInt(const char* text, long low, long high, int32_t& out) {
  errno = 0;
  char* end = nullptr;
  const long v = std::strtol(text, &end, 0);
  if (errno != 0 || end == text || *end != '\0' || v < low || v > high)
    return false;
  out = static_cast<int32_t>(v);
  return true;
}

// "640x480"
bool ParseSize(const char* text, int32_t& width, int32_t& height) {
  const char* x = std::strpbrk(text, "xX");
  if (x == nullptr || x == text)
    return false;
  char first[16];
  const size_t length = static_cast<size_t>(x - text);
  if (length >= sizeof first)
    return false;
  std::memcpy(first, text, length);
  first[length] = '\0';
  int32_t w = 0, h = 0;
  if (!ParseInt(first, 1, kMaxScaleSide, w) || !ParseInt(x + 1, 1, kMaxScaleSide, h))
    return false;
  width = w;
  height = h;
  return true;
}

// "7,4" or "7 4"
bool ParseResources(const char* text, uint32_t& mask) {
  uint32_t bits = 0;
  const char* p = text;
  while (*p != '\0') {
    if (*p == ',' || *p == ' ') {
      ++p;
      continue;
    }
    char* end = nullptr;
    errno = 0;
    const long n = std::strtol(p, &end, 10);
    if (errno != 0 || end == p || n < 0 || n >= kResourceCount)
      return false;
    bits |= 1u << n;
    p = end;
  }
  mask = bits;
  return true;
}

bool ParseFlag(const char* text, bool& out) {
  int32_t v = 0;
  if (!ParseInt(text, 0, 1, v))
    return false;
  out = v != 0;
  return true;
}

}  // namespace

void StandardFrameSize(int32_t standard, int32_t& width, int32_t& height) {
  if (standard == kNtscStandard) {
    width = 640;
    height = 480;
  } else {
    width = 768;
    height = 576;
  }
}

CardSettings ReadCardSettings() {
  CardSettings s;
  const char* v = nullptr;

  if ((v = std::getenv("ORVINTER_SIM_STANDARD")) != nullptr) {
    if (std::strcmp(v, "ntsc") == 0 || std::strcmp(v, "NTSC") == 0) {
      s.standard = kNtscStandard;
    } else if (std::strcmp(v, "pal") == 0 || std::strcmp(v, "PAL") == 0) {
      s.standard = 1;
    } else if (!ParseInt(v, 0, 255, s.standard)) {
      Complain("ORVINTER_SIM_STANDARD", v);
    }
  }
  StandardFrameSize(s.standard, s.outputWidth, s.outputHeight);
  s.inputWidth = s.outputWidth;
  s.inputHeight = s.outputHeight;

  if ((v = std::getenv("ORVINTER_SIM_FRAME_SIZE")) != nullptr) {
    if (ParseSize(v, s.outputWidth, s.outputHeight)) {
      s.inputWidth = s.outputWidth;
      s.inputHeight = s.outputHeight;
    } else {
      Complain("ORVINTER_SIM_FRAME_SIZE", v);
    }
  }
  if ((v = std::getenv("ORVINTER_SIM_INPUT_SIZE")) != nullptr &&
      !ParseSize(v, s.inputWidth, s.inputHeight)) {
    Complain("ORVINTER_SIM_INPUT_SIZE", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_ENABLED_WINDOW")) != nullptr &&
      !ParseInt(v, INT32_MIN, INT32_MAX, s.enabledWindow)) {
    Complain("ORVINTER_SIM_ENABLED_WINDOW", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_VERSION")) != nullptr &&
      !ParseInt(v, INT32_MIN, INT32_MAX, s.version)) {
    Complain("ORVINTER_SIM_VERSION", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_STATUS")) != nullptr &&
      !ParseInt(v, INT32_MIN, INT32_MAX, s.status)) {
    Complain("ORVINTER_SIM_STATUS", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_UNAVAILABLE")) != nullptr &&
      !ParseResources(v, s.unavailable)) {
    Complain("ORVINTER_SIM_UNAVAILABLE", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_FIFO_FAIL")) != nullptr && !ParseFlag(v, s.fifoFails)) {
    Complain("ORVINTER_SIM_FIFO_FAIL", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_FIFO_MAX")) != nullptr &&
      !ParseInt(v, kMinFifoBytes, INT32_MAX, s.fifoMemory)) {
    Complain("ORVINTER_SIM_FIFO_MAX", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_STALL")) != nullptr && !ParseFlag(v, s.stalled)) {
    Complain("ORVINTER_SIM_STALL", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_JITTER_US")) != nullptr &&
      !ParseInt(v, 0, kMaxDelayUs, s.jitterUs)) {
    Complain("ORVINTER_SIM_JITTER_US", v);
  }
  if ((v = std::getenv("ORVINTER_SIM_FREE_SIZE_DELAY_US")) != nullptr &&
      !ParseInt(v, 0, kMaxDelayUs, s.freeSizeDelayUs)) {
    Complain("ORVINTER_SIM_FREE_SIZE_DELAY_US", v);
  }
  return s;
}
