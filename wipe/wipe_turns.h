#pragma once

#include <cstdint>
#include <span>

// Two ways of turning a wipe around without drawing a new pattern.

// Every pattern value v becomes 255 - v: what was wiped first goes last.
inline void InvertPattern(std::span<uint8_t> pixels) {
  for (uint8_t& v : pixels)
    v = static_cast<uint8_t>(255 - v);
}

// The order in which a run (playback, export) takes its wipe positions.
// Reversed, every position p becomes w + 256 - p, w the edge width: the
// wipe runs its out pass first.
enum class WipeDirection { kForward, kReverse };

constexpr int32_t DirectedPosition(int32_t p, int32_t edgeWidth, WipeDirection direction) {
  return direction == WipeDirection::kReverse ? edgeWidth + 256 - p : p;
}
