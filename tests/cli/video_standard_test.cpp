#include "cli/video_standard.h"

#include <gtest/gtest.h>

namespace {

TEST(VideoStandardTest, NamesTheTwoStandards) {
  VideoStandard s = kPal;
  ASSERT_TRUE(ParseVideoStandard("ntsc", s));
  EXPECT_EQ(s.width, 640);
  EXPECT_EQ(s.height, 480);
  EXPECT_EQ(s.frameRate, 29.97f);
  ASSERT_TRUE(ParseVideoStandard("PAL", s));
  EXPECT_EQ(s.width, 768);
  EXPECT_EQ(s.frameRate, 25.0f);
  for (const char* bad : {"", "secam", "pal ", "ntsc-j"})
    EXPECT_FALSE(ParseVideoStandard(bad, s)) << bad;
}

TEST(VideoStandardTest, ParsesDurations) {
  struct Case {
    const char* text;
    float rate;
    bool ok;
    int32_t ms;
  };
  const Case cases[] = {
      {"1000", 29.97f, true, 1000},
      {"3", 25.0f, true, 3},
      {"-5", 25.0f, true, -5},  // the caller checks the range
      {"00:00:01:00", 29.97f, true, 1000},
      {"00:00:00:15", 29.97f, true, 500},
      {"00:00:00:15", 25.0f, true, 600},
      {"00:00:01:29", 29.97f, true, 1968},
      {"01:02:03:04", 25.0f, true, 3723160},
      {"00:00:01:30", 29.97f, false, 0},  // no frame 30 in a second
      {"00:00:01:25", 25.0f, false, 0},
      {"00:60:00:00", 25.0f, false, 0},
      {"00:00:60:00", 25.0f, false, 0},
      {"0:00:01:00", 25.0f, false, 0},
      {"00:00:01", 25.0f, false, 0},
      {"00-00-01-00", 25.0f, false, 0},
      {"00:00:0a:00", 25.0f, false, 0},
      {"1000ms", 25.0f, false, 0},
      {"", 25.0f, false, 0},
      {"99999999999", 25.0f, false, 0},
  };
  for (const Case& c : cases) {
    int32_t ms = 0;
    EXPECT_EQ(ParseDuration(c.text, c.rate, ms), c.ok) << c.text;
    if (c.ok) {
      EXPECT_EQ(ms, c.ms) << c.text;
    }
  }
}

}  // namespace
