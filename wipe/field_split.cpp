#include "wipe/field_split.h"

#include <cstring>
#include <new>

#include "wipe/scale_grey_image.h"

void SplitFields(uint8_t* destination, const uint8_t* frame, int32_t width, int32_t height) {
  const size_t w = static_cast<size_t>(width);
  uint8_t* out = destination;
  for (int32_t y = 0; y < height; y += 2, out += w) {
    std::memcpy(out, frame + static_cast<size_t>(y) * w, w);
  }
  for (int32_t y = 1; y < height; y += 2, out += w) {
    std::memcpy(out, frame + static_cast<size_t>(y) * w, w);
  }
}

bool ScaleToFieldSplit(std::vector<uint8_t>& pattern, int32_t frameWidth, int32_t frameHeight,
                       const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight) {
  std::vector<uint8_t>().swap(pattern);
  if (frameWidth <= 0 || frameHeight <= 0)
    return false;
  const size_t bytes = static_cast<size_t>(frameWidth) * static_cast<size_t>(frameHeight);
  std::vector<uint8_t> scratch;
  try {
    pattern.resize(bytes);
    scratch.resize(bytes);
  } catch (const std::bad_alloc&) {
    std::vector<uint8_t>().swap(pattern);
    return false;
  }
  ScaleGreyImage(scratch.data(), frameWidth, frameHeight, source, sourceWidth, sourceHeight);
  SplitFields(pattern.data(), scratch.data(), frameWidth, frameHeight);
  return true;
}
