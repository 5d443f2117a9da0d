#pragma once

#include <cstdint>
#include <string>

#include "wipe/grey_image.h"

// Reads the picture at path as a grey pattern, whatever common format it is
// in. ReadTargaPattern is tried first, so every file it accepts loads as it
// always did; then the other TARGA kinds (ReadTargaPicture), binary PGM and
// PPM of 8 or 16 bits (ReadPnmPicture), and last whatever Qt's image
// readers know (PNG, BMP, JPEG, TIFF, WebP, ... as installed), greyed as
// picture_grey.h says.
//
// The pattern is released first and holds a picture only on success.
// Returns 0; kErrCannotOpen when the file cannot be opened; for a file no
// reader knows, ReadTargaPattern's code (kErrBadFile or kErrCannotRead);
// for one a reader knows but cannot read, kErrBadFile for a width or
// height of 0 or above kPatternMaxSide, kErrCannotRead for broken picture
// data, kErrNoMemory for a picture too big to decode.
int32_t ReadPicturePattern(const std::string& path, GreyImage& pattern);

// Of every picture a Qt reader decodes, what its pixels may take at most.
inline constexpr int kPictureAllocationLimitMb = 1024;
