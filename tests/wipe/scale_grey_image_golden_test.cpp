// Golden results of the resampler, pinned by checksum. A build that fuses a
// multiply and an add into one rounding (fused multiply-add, on any processor
// that has it) changes some of these bytes, so this binary is also built and
// run with -march=x86-64-v3 by scripts/test.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "tests/testing/fnv1a.h"
#include "wipe/scale_grey_image.h"

namespace {

// The pictures of resampler_reference.py, made the same way.
std::vector<uint8_t> Picture(const std::string& kind, int w, int h) {
  std::vector<uint8_t> pixels;
  pixels.reserve(static_cast<size_t>(w) * h);
  if (kind == "ramp") {
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w; ++x)
        pixels.push_back(static_cast<uint8_t>(
            (x * 255 / std::max(w - 1, 1) + y * 255 / std::max(h - 1, 1)) / 2));
    }
    return pixels;
  }
  uint32_t state = static_cast<uint32_t>(w) * 65537u + static_cast<uint32_t>(h);
  for (int i = 0; i < w * h; ++i) {
    state = state * 1103515245u + 12345u;
    pixels.push_back(static_cast<uint8_t>(state >> 24));
  }
  return pixels;
}

TEST(ScaleGreyImageGoldenTest, OddSizesLargeShrinksAndBothPassesGiveTheWorkedOutBytes) {
  // Worked out once by tests/wipe/resampler_reference.py, an implementation
  // of the method of its own that rounds every single-precision step.
  struct Case {
    const char* kind;
    int sw, sh, dw, dh;
    uint32_t checksum;
  } cases[] = {
      {"noise", 37, 23, 101, 59, 0xB395264Fu},    {"noise", 101, 59, 37, 23, 0x90C08148u},
      {"ramp", 101, 59, 37, 23, 0xB3D99942u},     {"noise", 480, 360, 7, 5, 0x8D95E800u},
      {"ramp", 480, 360, 7, 5, 0x71E45E67u},      {"noise", 333, 1, 4, 1, 0x94487313u},
      {"noise", 1, 300, 1, 7, 0x05C5B71Eu},       {"noise", 64, 48, 173, 29, 0x64746C9Fu},
      {"ramp", 64, 48, 173, 29, 0x0F44946Du},     {"noise", 211, 17, 19, 97, 0x4A77134Bu},
      {"noise", 97, 13, 41, 13, 0x71F12949u},     {"noise", 13, 97, 13, 41, 0xB515CF30u},
      {"noise", 320, 240, 640, 480, 0x6303602Cu}, {"ramp", 320, 240, 768, 576, 0x55E84CEFu},
      {"noise", 641, 479, 768, 576, 0xA520A758u},
  };
  for (const Case& c : cases) {
    const std::vector<uint8_t> source = Picture(c.kind, c.sw, c.sh);
    std::vector<uint8_t> out(static_cast<size_t>(c.dw) * c.dh, 0xEE);
    ScaleGreyImage(out.data(), c.dw, c.dh, source.data(), c.sw, c.sh);
    EXPECT_EQ(Fnv1a(out.data(), out.size()), c.checksum)
        << c.kind << " " << c.sw << "x" << c.sh << " to " << c.dw << "x" << c.dh;
  }
}

}  // namespace
