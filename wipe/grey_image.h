#pragma once

#include <cstdint>
#include <vector>

// An 8-bit grey picture, one byte per pixel (0 black, 255 white), rows top to
// bottom, no row padding.
struct GreyImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<uint8_t> pixels;

  bool Empty() const { return pixels.empty(); }
  // Gives the memory back, not just the size.
  void Release() {
    std::vector<uint8_t>().swap(pixels);
    width = 0;
    height = 0;
  }
};
