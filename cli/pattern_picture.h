#pragma once

#include <cstdint>
#include <string>

#include "wipe/grey_image.h"

// Reads the wipe pattern a command was given into a grey picture. 0, or
// kErrCannotOpen when path cannot be opened, or the reader's code for a file
// it refuses (not reported: the caller names the file).
int32_t LoadPatternPicture(const std::string& path, GreyImage& pattern);
