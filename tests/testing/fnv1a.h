#pragma once

#include <cstddef>
#include <cstdint>

// FNV-1a, as the card's checksum of the picture shown; also what pins a
// written file's bytes.
inline uint32_t Fnv1a(const uint8_t* bytes, size_t count) {
  uint32_t h = 2166136261u;
  for (size_t k = 0; k < count; ++k) {
    h ^= bytes[k];
    h *= 16777619u;
  }
  return h;
}
