#pragma once

#include <cstdint>
#include <span>
#include <string>

// Writes an 8-bit grey picture as a binary PGM ("P5"), rows top to bottom.
// 0, kErrBadParameter when pixels holds fewer than width x height bytes, or
// kErrCannotWrite when the file cannot be written whole (a partial file is
// removed).
int32_t WritePgm(const std::string& path, int32_t width, int32_t height,
                 std::span<const uint8_t> pixels);
