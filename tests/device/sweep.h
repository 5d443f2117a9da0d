#pragma once

#include <cstdint>

// The wipe positions of frame n when passes of halfFrames frames sweep in
// and out over span positions, as playback computes them.
struct Sweep {
  int32_t span, halfFrames;

  void Positions(int32_t n, int32_t& p1, int32_t& p2) const {
    const int32_t N = halfFrames, S = span;
    const int32_t i = n % N;
    if ((n / N) % 2 == 0) {
      p1 = (i * S + N / 2) / N;
      p2 = (i * S + S / 2 + N / 2) / N;
    } else {
      p1 = ((N - i) * S + N / 2) / N;
      p2 = ((N - i) * S - S / 2 + N / 2) / N;
    }
  }
};
