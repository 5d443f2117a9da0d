#pragma once

#include <cstdint>
#include <vector>

// A grey picture, one sample per pixel, rows top to bottom, no row padding.
template <typename Sample>
struct BasicGreyImage {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<Sample> pixels;

  bool Empty() const { return pixels.empty(); }
  // Gives the memory back, not just the size.
  void Release() {
    std::vector<Sample>().swap(pixels);
    width = 0;
    height = 0;
  }
};
// One byte a pixel, 0 black and 255 white.
using GreyImage = BasicGreyImage<uint8_t>;
// A deeper grey picture, two bytes a pixel (0 black, 65535 white), for luma
// maps whose soft edges must not show the steps of 256 levels.
using GreyImage16 = BasicGreyImage<uint16_t>;
