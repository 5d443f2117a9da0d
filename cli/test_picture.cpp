#include "cli/test_picture.h"

#include <algorithm>

void RenderTestField(int32_t width, int32_t lines, int32_t fieldIndex, std::vector<uint8_t>& rgb) {
  rgb.assign(static_cast<size_t>(width) * lines * 3, 0);
  static const uint8_t kBars[8][3] = {{235, 235, 235}, {235, 235, 16}, {16, 235, 235},
                                      {16, 235, 16},   {235, 16, 235}, {235, 16, 16},
                                      {16, 16, 235},   {16, 16, 16}};
  const int32_t barsEnd = lines * 2 / 3;
  for (int32_t y = 0; y < lines; ++y) {
    uint8_t* row = rgb.data() + static_cast<size_t>(y) * width * 3;
    for (int32_t x = 0; x < width; ++x) {
      uint8_t* px = row + x * 3;
      if (y < barsEnd) {
        const uint8_t* bar = kBars[std::min(7, x * 8 / width)];
        px[0] = bar[0];
        px[1] = bar[1];
        px[2] = bar[2];
      } else {
        const uint8_t grey = static_cast<uint8_t>(16 + (219 * x) / std::max(1, width - 1));
        px[0] = px[1] = px[2] = grey;
      }
    }
  }
  const int32_t box = std::max(4, lines / 6);
  const int32_t travel = std::max(1, width - box);
  const int32_t left = (fieldIndex * 4) % travel;
  const int32_t top = (lines - box) / 2;
  for (int32_t y = top; y < top + box && y < lines; ++y) {
    for (int32_t x = left; x < left + box && x < width; ++x) {
      uint8_t* px = rgb.data() + (static_cast<size_t>(y) * width + x) * 3;
      px[0] = px[1] = px[2] = 255;
    }
  }
}
