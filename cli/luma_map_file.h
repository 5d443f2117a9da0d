#pragma once

#include <cstdint>
#include <string>

#include "wipe/grey_image.h"

// The file formats a luma map is written in, for the pattern reader and for
// other editors' luma wipes.
enum class LumaMapFormat {
  kTarga,  // 24-bit TARGA, grey in every channel: 8 bits only
  kPng,    // one grey channel
  kPgm,    // binary PGM
};

// "tga", "png" or "pgm", in any case.
bool ParseLumaMapFormat(const std::string& text, LumaMapFormat& format);

// The file name's ending, with its dot.
const char* LumaMapExtension(LumaMapFormat format);

// Whether the format holds samples of depth bits (8 or 16).
bool LumaMapHoldsDepth(LumaMapFormat format, int32_t depth);

// Writes image as a luma map at path. The file is written beside path and
// moved over it only once it is whole, so a failure (a folder that may not be
// written, a full disk) leaves an earlier file as it was and no other file
// behind; see ReplacingFile for the cases it must write in place. 0,
// kErrBadParameter for a depth the format does not hold or a picture it
// cannot, kErrNoMemory, kErrNoFile when the file cannot be made, or
// kErrCannotWrite when it cannot be written whole.
int32_t WriteLumaMap(const std::string& path, LumaMapFormat format, const GreyImage& image);
int32_t WriteLumaMap(const std::string& path, LumaMapFormat format, const GreyImage16& image);
