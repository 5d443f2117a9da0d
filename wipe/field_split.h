#pragma once

#include <cstdint>
#include <vector>

// The field-split layout the card consumes: the even rows 0, 2, 4, ... (top
// field) followed by the odd rows 1, 3, 5, ... (bottom field).

// Copies a width x height frame into destination in field-split order.
void SplitFields(uint8_t* destination, const uint8_t* frame, int32_t width, int32_t height);

// Scales a grey source to frameWidth x frameHeight and stores it field-split
// in pattern (replacing what it held). False when memory runs out; pattern is
// then empty.
bool ScaleToFieldSplit(std::vector<uint8_t>& pattern, int32_t frameWidth, int32_t frameHeight,
                       const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight);
