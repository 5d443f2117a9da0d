#pragma once

#include <cstdint>
#include <string>

#include "wipe/grey_image.h"

// Writes a grey picture as an uncompressed true-colour TARGA that the pattern
// reader accepts: 24 bits (grey in all three channels, descriptor 0) or 32
// bits (grey in the colour channels and in alpha, descriptor 8), bottom row
// first. Returns 0, kErrBadParameter for a depth other than 24 or 32 or a
// picture beyond the format's 65535 x 65535, or kErrCannotWrite when the file
// cannot be written whole (a partial file is removed).
int32_t WriteTargaGrey(const std::string& path, const GreyImage& image, int32_t depth = 24);
