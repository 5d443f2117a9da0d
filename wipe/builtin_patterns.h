#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "wipe/grey_image.h"

// Wipe patterns generated in code, so a user without a library of pictures
// (and every test) has a good set to start from. Each is a shape over the
// picture from 0 (changes over first) to 1 (last), quantised to grey levels
// with enough distinct values that every level occurs at frame size: a soft
// edge then moves without banding.
struct BuiltinPattern {
  const char* name;  // file-name friendly, says the shape
  const char* description;
};

const std::vector<BuiltinPattern>& BuiltinPatterns();

// How a shape's values stand to the levels a quantiser makes of them.
enum class ShapeScale {
  kRange,   // 0 is the first level and 1 the last, the others evenly between
  kShares,  // 0..1 cut into equal shares, one a level: each level covers the same area
};

// A pattern before it is quantised: one value a pixel in 0..1, rows top to
// bottom, no padding. Computed with nothing that rounds differently from one
// machine or build to the next.
struct PatternShape {
  int32_t width = 0;
  int32_t height = 0;
  std::vector<double> values;
  ShapeScale scale = ShapeScale::kRange;
  // Where one level would cover a long arc, the quantiser dithers so the
  // soft edge shows no rays.
  bool dithered = false;
};

// The named pattern's shape at width x height; false for an unknown name, a
// size outside 1..65535 or a shortage of memory.
bool RenderBuiltinShape(const std::string& name, int32_t width, int32_t height,
                        PatternShape& shape);

// The shape as 8-bit or 16-bit grey levels, each cut from the shape at its
// own depth (dithered by a level of that depth where the shape asks for
// it); false when memory runs out or the values do not fill the shape's
// size.
bool QuantiseShape(const PatternShape& shape, GreyImage& image);
bool QuantiseShape(const PatternShape& shape, GreyImage16& image);

// The named pattern at width x height as 8-bit or 16-bit grey levels; false
// as for RenderBuiltinShape.
bool RenderBuiltinPattern(const std::string& name, int32_t width, int32_t height, GreyImage& image);
bool RenderBuiltinPattern(const std::string& name, int32_t width, int32_t height,
                          GreyImage16& image);
