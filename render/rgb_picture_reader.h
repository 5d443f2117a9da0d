#pragma once

#include <cstdint>
#include <string>

#include "render/matte_render.h"
#include "render/render_status.h"

// Reads the first picture of any file the video library decodes (PNG,
// JPEG, TARGA, BMP, a frame of a video...) as RGB. 0, kErrCannotOpen when
// the library cannot open or find a picture in it, kErrBadFile when it
// cannot decode it, kErrNoMemory.
int32_t ReadRgbPicture(const std::string& path, RgbImage& picture, RenderStatus& status);
