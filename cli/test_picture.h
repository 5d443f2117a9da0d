#pragma once

#include <cstdint>
#include <vector>

// A moving test picture for synthetic card recordings: colour bars, a grey
// ramp, and a white box that travels one step per field, so a player shows
// at a glance whether fields are in order. RGB, 3 bytes a pixel.
void RenderTestField(int32_t width, int32_t lines, int32_t fieldIndex, std::vector<uint8_t>& rgb);
