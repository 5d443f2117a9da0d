#include "cli/frame_size.h"

#include <gtest/gtest.h>

namespace {

TEST(FrameSizeTest, ParsesWidthByHeightAndRefusesEverythingElse) {
  struct {
    const char* text;
    bool ok;
    int32_t w, h;
  } cases[] = {
      {"768x576", true, 768, 576}, {"640X480", true, 640, 480},
      {"1x1", true, 1, 1},         {"65535x65535", true, 65535, 65535},
      {"0x480", false, 0, 0},      {"640x0", false, 0, 0},
      {"65536x10", false, 0, 0},   {"640", false, 0, 0},
      {"x480", false, 0, 0},       {"640x", false, 0, 0},
      {"-640x480", false, 0, 0},   {"640x480x2", false, 0, 0},
      {" 640x480", false, 0, 0},   {"", false, 0, 0},
  };
  for (const auto& c : cases) {
    int32_t w = -1, h = -1;
    EXPECT_EQ(ParseFrameSize(c.text, w, h), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(w, c.w) << c.text;
      EXPECT_EQ(h, c.h) << c.text;
    }
  }
}

}  // namespace
