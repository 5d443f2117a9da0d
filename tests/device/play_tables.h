#pragma once

#include <cstdint>
#include <vector>

#include "device/playback.h"

// The positions of one sweep with edge width 48 (span 304) and passes of
// 1000 ms, written out by hand: the in pass and then the out pass.
struct PlayTable {
  float fps;
  int32_t halfFrames;
  std::vector<FieldPositions> in;
  std::vector<FieldPositions> out;
};

inline const PlayTable kNtscTable{
    29.97f,
    15,
    {{0, 10},
     {20, 30},
     {41, 51},
     {61, 71},
     {81, 91},
     {101, 111},
     {122, 132},
     {142, 152},
     {162, 172},
     {182, 193},
     {203, 213},
     {223, 233},
     {243, 253},
     {263, 274},
     {284, 294}},
    {{304, 294},
     {284, 274},
     {263, 253},
     {243, 233},
     {223, 213},
     {203, 193},
     {182, 172},
     {162, 152},
     {142, 132},
     {122, 111},
     {101, 91},
     {81, 71},
     {61, 51},
     {41, 30},
     {20, 10}},
};

inline const PlayTable kPalTable{
    25.0f,
    12,
    {{0, 13},
     {25, 38},
     {51, 63},
     {76, 89},
     {101, 114},
     {127, 139},
     {152, 165},
     {177, 190},
     {203, 215},
     {228, 241},
     {253, 266},
     {279, 291}},
    {{304, 291},
     {279, 266},
     {253, 241},
     {228, 215},
     {203, 190},
     {177, 165},
     {152, 139},
     {127, 114},
     {101, 89},
     {76, 63},
     {51, 38},
     {25, 13}},
};

// Frame n of the sweep since playback started: the in pass, the out pass,
// and again.
inline FieldPositions TableFrame(const PlayTable& table, int64_t n) {
  const int64_t cycle = 2 * static_cast<int64_t>(table.halfFrames);
  const int64_t k = n % cycle;
  return k < table.halfFrames ? table.in[static_cast<size_t>(k)]
                              : table.out[static_cast<size_t>(k - table.halfFrames)];
}
