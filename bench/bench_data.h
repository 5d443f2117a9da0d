#pragma once

#include <cstdint>
#include <vector>

// Deterministic noise bytes: inputs that no branch predictor or cache
// pattern can flatter.
inline std::vector<uint8_t> NoiseBytes(size_t bytes) {
  std::vector<uint8_t> v(bytes);
  uint32_t x = 2463534242u;
  for (auto& b : v) {
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    b = static_cast<uint8_t>(x);
  }
  return v;
}
