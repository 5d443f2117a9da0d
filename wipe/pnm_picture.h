#pragma once

#include <cstdint>

#include "support/buffered_file.h"
#include "wipe/grey_image.h"

// Reads a binary PGM (P5) or PPM (P6) from the start of file, with any
// white from 1 to 65535 (two bytes a sample, most significant first, above
// 255), as a grey pattern by picture_grey.h: colour by its luma at the
// sample depth, every sample brought to 8 bits with rounding. Comments
// ("#" to the end of the line) may stand between the header's numbers.
//
// The pattern is released first and holds a picture only on success.
// Returns 0; kErrBadFile for a file that does not begin with P5 or P6 (the
// other kinds are left to other readers), a header it cannot parse, a white
// of 0 or above 65535, or a width or height of 0 or above kPatternMaxSide;
// kErrCannotRead for pixel data cut short; kErrNoMemory.
int32_t ReadPnmPicture(BufferedFile& file, GreyImage& pattern);

// True when file begins with P5 or P6: then ReadPnmPicture's answer is the
// last word on it, a refusal included.
bool HasPnmMagic(BufferedFile& file);
