#pragma once

#include <cstdint>

// Area-averaging resampler. The signal between two sample centres runs
// linearly, flat over the outer half cells; every output sample is the mean
// of the signal over the interval it covers. The two directions scale
// independently, so the picture always fills the destination.
//
// Its arithmetic order is part of its result: single-precision rows stored
// after every piece, double-precision cursors and steps. This file is built
// without floating-point contraction so the bytes are the same everywhere.

// Fills destinationWidth x destinationHeight bytes from the source; both
// top-to-bottom and unpadded. Equal sizes copy. When the two float rows
// cannot be allocated the destination is filled with 0 and the exclamation
// sound is given.
void ScaleGreyImage(uint8_t* destination, int32_t destinationWidth, int32_t destinationHeight,
                    const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight);

// One row of the same method on float samples; step = inCount / outCount.
// Equal counts copy.
void ResampleRow(float* out, int32_t outCount, const float* in, int32_t inCount, double step);
