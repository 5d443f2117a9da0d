#pragma once

#include <cstdint>

#include "support/buffered_file.h"
#include "wipe/grey_image.h"

// Reads an uncompressed true-colour TARGA (24 bits, descriptor 0, or 32 bits,
// descriptor 8; bottom row first) into a grey pattern, taking the last byte
// of every pixel: red of a 24-bit picture, alpha of a 32-bit one.
//
// The pattern is released first and holds a picture only on success.
// Returns 0, kErrCannotRead for a short header or pixel data, kErrBadFile for
// a header it does not accept (including a width or height of 0),
// kErrNoMemory when memory runs out.
int32_t ReadTargaPattern(BufferedFile& file, GreyImage& pattern);
