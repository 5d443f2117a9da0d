#pragma once

#include <cstdint>
#include <vector>

// The wipe positions of a rendered matte, one a frame: frameCount positions
// from low to high (both reached) in steps rounded to nearest; one frame
// holds low. reverse runs them from high to low; inOut then adds the way
// back, as many frames again in the opposite order, as playback's out pass
// follows its in pass, so the last frame equals the first.
std::vector<int32_t> MattePositions(int32_t low, int32_t high, int32_t frameCount, bool reverse,
                                    bool inOut);

// The positions a whole wipe of edge width w runs over: from the first at
// which every pattern value is still 255 to the first at which all are 0.
int32_t FirstWipePosition(int32_t edgeWidth);
int32_t LastWipePosition(int32_t edgeWidth);
