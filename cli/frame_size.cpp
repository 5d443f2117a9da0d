#include "cli/frame_size.h"

#include <charconv>

bool ParseFrameSize(const std::string& text, int32_t& width, int32_t& height) {
  const size_t x = text.find_first_of("xX");
  if (x == std::string::npos)
    return false;
  int32_t w = 0, h = 0;
  const char* begin = text.data();
  const char* end = begin + text.size();
  auto [p1, e1] = std::from_chars(begin, begin + x, w);
  auto [p2, e2] = std::from_chars(begin + x + 1, end, h);
  if (e1 != std::errc() || e2 != std::errc() || p1 != begin + x || p2 != end)
    return false;
  if (w < 1 || h < 1 || w > 0xFFFF || h > 0xFFFF)
    return false;
  width = w;
  height = h;
  return true;
}
