#pragma once

#include <cstdint>

#include "support/buffered_file.h"
#include "wipe/grey_image.h"

// Reads the TARGA kinds ReadTargaPattern leaves alone, from the start of
// file: grey-scale (8 bits) and true colour (24 or 32 bits), uncompressed or
// run-length encoded, bottom or top row first, with or without an ID field.
// A 32-bit pixel with 8 alpha bits gives its alpha, as it does in
// ReadTargaPattern; any other colour pixel its luma (picture_grey.h), which
// for a grey picture is the red that ReadTargaPattern takes.
//
// The pattern is released first and holds a picture only on success.
// Returns 0; kErrBadFile for anything that is not one of these kinds (a
// header too short to tell included: another reader may know the file) or
// a width or height of 0; kErrCannotRead for pixel data cut short or a run
// that overflows the picture; kErrNoMemory when memory runs out.
int32_t ReadTargaPicture(BufferedFile& file, GreyImage& pattern);
