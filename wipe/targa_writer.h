#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "wipe/grey_image.h"

// Writes a grey picture as an uncompressed true-colour TARGA that the pattern
// reader accepts: 24 bits (grey in all three channels, descriptor 0) or 32
// bits (grey in the colour channels and in alpha, descriptor 8), bottom row
// first. Returns 0, kErrBadParameter for a depth other than 24 or 32 or a
// picture beyond the format's 65535 x 65535, or kErrCannotWrite when the file
// cannot be written whole (a partial file is removed).
int32_t WriteTargaGrey(const std::string& path, const GreyImage& image, int32_t depth = 24);

// The same into a stream open for writing, from where it stands, for a
// caller that owns the file (one that replaces its target only when the
// file is whole). kErrCannotWrite when a write fails; the stream stays open.
int32_t WriteTargaGreyTo(std::FILE* file, const GreyImage& image, int32_t depth = 24);
