#include "render/matte_positions.h"

#include <algorithm>

#include "support/time_code.h"

std::vector<int32_t> MattePositions(int32_t low, int32_t high, int32_t frameCount, bool reverse,
                                    bool inOut) {
  std::vector<int32_t> positions;
  if (frameCount <= 0)
    return positions;
  positions.reserve(static_cast<size_t>(frameCount) * (inOut ? 2 : 1));
  for (int32_t i = 0; i < frameCount; ++i) {
    positions.push_back(frameCount == 1 ? low
                                        : low + MulDivRound(i, high - low, frameCount - 1));
  }
  if (reverse)
    std::reverse(positions.begin(), positions.end());
  if (inOut) {
    const std::vector<int32_t> way(positions.rbegin(), positions.rend());
    positions.insert(positions.end(), way.begin(), way.end());
  }
  return positions;
}

int32_t FirstWipePosition(int32_t edgeWidth) {
  return -(edgeWidth / 2);
}

int32_t LastWipePosition(int32_t edgeWidth) {
  return 255 + edgeWidth / 2;
}
