#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wipe/grey_image.h"

// Wipe patterns generated in code, so a user without a library of pictures
// (and every test) has a good set to start from. Each is a value field over
// the picture from 0 (changes over first) to 255 (last), built with enough
// distinct values that every grey level occurs at frame size: a soft edge
// then moves without banding.
struct BuiltinPattern {
  const char* name;  // file-name friendly, says the shape
  const char* description;
};

const std::vector<BuiltinPattern>& BuiltinPatterns();

// Renders the named pattern at width x height; false for an unknown name or
// a size outside 1..65535.
bool RenderBuiltinPattern(const std::string& name, int32_t width, int32_t height, GreyImage& image);
