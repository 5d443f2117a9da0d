#pragma once

#include <cstdint>
#include <cstdio>

#include "wipe/grey_image.h"

// Writes a grey picture as a PNG of one grey channel, 8 or 16 bits a sample
// as the picture has them, into a stream open for writing (the caller owns
// the file, and the stream stays open). 0, kErrBadParameter for an empty
// picture or one whose pixels do not fill it, kErrNoMemory when memory runs
// out, or kErrCannotWrite when libpng or the stream refuses.
int32_t WritePngTo(std::FILE* file, const GreyImage& image);
int32_t WritePngTo(std::FILE* file, const GreyImage16& image);
