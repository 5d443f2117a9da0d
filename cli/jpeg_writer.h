#pragma once

#include <cstdint>
#include <vector>

// Compresses an RGB picture (3 bytes a pixel, rows top to bottom, no
// padding) into a baseline JPEG in memory. False when libjpeg refuses.
bool EncodeJpeg(const uint8_t* rgb, int32_t width, int32_t height, int32_t quality,
                std::vector<uint8_t>& jpeg);
