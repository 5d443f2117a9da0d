#pragma once

#include <cstdint>

// How every picture reader turns pixels into pattern greys, so a pattern
// looks the same whichever format it was saved in.
//
// Colour becomes grey by the Rec. 601 luma, rounded to nearest in integers
// at the channel's own depth:
//   Y = (299 R + 587 G + 114 B + 500) / 1000
// The weights add up to 1000, so a grey pixel (R = G = B) keeps its value.
// A 16-bit grey (or a 16-bit luma) becomes 8 bits, rounded to nearest:
//   (v * 255 + 32767) / 65535

constexpr uint32_t Luma(uint32_t r, uint32_t g, uint32_t b) {
  return (299 * r + 587 * g + 114 * b + 500) / 1000;
}

constexpr uint8_t Grey16To8(uint32_t v) {
  return static_cast<uint8_t>((v * 255 + 32767) / 65535);
}

// A sample of any depth 1..65535 (maxValue its white) as 8 bits, rounded to
// nearest; the identity for 255, Grey16To8 for 65535. A sample above white
// counts as white.
constexpr uint8_t ScaleSampleTo8(uint32_t v, uint32_t maxValue) {
  if (v >= maxValue)
    return 255;
  return static_cast<uint8_t>((v * 255 + maxValue / 2) / maxValue);
}

// The largest side of a pattern: what a TARGA header can hold, and so what
// the first pattern reader ever accepted.
inline constexpr int32_t kPatternMaxSide = 65535;
