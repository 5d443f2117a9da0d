#pragma once

#include <cstdint>
#include <cstdio>
#include <span>
#include <string>

#include "wipe/grey_image.h"

// Writes an 8-bit grey picture as a binary PGM ("P5"), rows top to bottom.
// 0, kErrBadParameter when pixels holds fewer than width x height bytes, or
// kErrCannotWrite when the file cannot be written whole (a partial file is
// removed).
int32_t WritePgm(const std::string& path, int32_t width, int32_t height,
                 std::span<const uint8_t> pixels);

// A binary PGM into a stream open for writing, for a caller that owns the
// file: 8-bit pictures with the largest value 255, 16-bit ones with 65535
// and two bytes a sample, the high one first, as the format has them.
// kErrBadParameter for an empty picture or one whose pixels do not fill it,
// kErrCannotWrite when a write fails; the stream stays open.
int32_t WritePgmTo(std::FILE* file, const GreyImage& image);
int32_t WritePgmTo(std::FILE* file, const GreyImage16& image);
