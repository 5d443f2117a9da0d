#pragma once

// Numbered mask pictures for the mask export, written from a formula.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>

#include "support/error_codes.h"
#include "wipe/grey_image.h"
#include "wipe/targa_writer.h"

namespace clitest {

// Writes m001.tga ... into folder: count masks of 128 lines, width wide, 24
// and 32 bits in turn, whose level at line m, column x of mask n is
// grey(n, m, x).
template <typename Grey>
void WriteMasks(const std::filesystem::path& folder, int count, int width, Grey grey) {
  std::filesystem::create_directories(folder);
  for (int n = 1; n <= count; ++n) {
    GreyImage image;
    image.width = width;
    image.height = 128;
    for (int m = 0; m < image.height; ++m)
      for (int x = 0; x < width; ++x)
        image.pixels.push_back(static_cast<uint8_t>(grey(n, m, x)));
    char name[16];
    std::snprintf(name, sizeof name, "m%03d.tga", n);
    ASSERT_EQ(WriteTargaGrey((folder / name).string(), image, n % 2 ? 24 : 32), kOk);
  }
}

}  // namespace clitest
