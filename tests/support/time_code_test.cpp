#include "support/time_code.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(TimeCodeTest, NtscRateIsTheSinglePrecisionValue) {
  EXPECT_EQ(static_cast<double>(kNtscFrameRate), 29.9699993133544921875);
}

struct Conversion {
  int32_t in;
  float fps;
  int32_t out;
};

TEST(TimeCodeTest, MsToFramesUsesBiasAndTruncation) {
  const Conversion cases[] = {
      {1000, 25.0f, 25}, {1000, kNtscFrameRate, 30}, {999, kNtscFrameRate, 30},
      {1500, 25.0f, 37}, {34, kNtscFrameRate, 1},    {0, 25.0f, 0},
      {3, 25.0f, 0},     {-1000, 25.0f, -24},  // truncation toward zero: -25 + 0.499
  };
  for (const auto& c : cases)
    EXPECT_EQ(MsToFrames(c.in, c.fps), c.out) << c.in << " @ " << c.fps;
}

TEST(TimeCodeTest, FramesToMsUsesBiasAndTruncation) {
  const Conversion cases[] = {
      {25, 25.0f, 1000}, {30, kNtscFrameRate, 1001}, {15, kNtscFrameRate, 500},
      {1, 25.0f, 40},    {0, kNtscFrameRate, 0},     {-25, 25.0f, -999},
  };
  for (const auto& c : cases)
    EXPECT_EQ(FramesToMs(c.in, c.fps), c.out) << c.in << " @ " << c.fps;
}

TEST(TimeCodeTest, HugeFrameCountsSaturateInsteadOfOverflowing) {
  EXPECT_EQ(FramesToMs(INT32_MAX, 25.0f), INT32_MAX);
  EXPECT_EQ(FramesToMs(INT32_MIN, 25.0f), INT32_MIN);
}

struct Format {
  int32_t ms;
  int32_t mode;
  float fps;
  const char* text;
};

TEST(TimeCodeTest, FormatTimeInEveryMode) {
  const Format cases[] = {
      {999, 1, kNtscFrameRate, "00:00:01:00"},  // the remainder carries into the seconds
      {999, 1, 25.0f, "00:00:01:00"},
      {1000, 1, kNtscFrameRate, "00:00:01:00"},
      {1034, 1, kNtscFrameRate, "00:00:01:01"},
      {1500, 1, 25.0f, "00:00:01:12"},
      {3, 1, kNtscFrameRate, "00:00:00:00"},
      {3, 0, kNtscFrameRate, "00:00:00:003"},
      {1500, -1, 25.0f, "00:00:01:500"},
      {360000000, 0, 25.0f, "100:00:00:000"},
      {3723004, 0, 25.0f, "01:02:03:004"},
      {1500, 2, 25.0f, "37"},
      {59999, 1, kNtscFrameRate, "00:01:00:00"},
      {3599999, 1, 25.0f, "01:00:00:00"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(FormatTime(c.ms, c.mode, c.fps), c.text) << c.ms << " mode " << c.mode;
  }
}

TEST(TimeCodeTest, FormatTimeOfExtremesStaysInBounds) {
  EXPECT_EQ(FormatTime(INT32_MAX, 0, 25.0f), "596:31:23:647");
  EXPECT_FALSE(FormatTime(INT32_MIN, 0, 25.0f).empty());
  EXPECT_FALSE(FormatTime(INT32_MIN, 1, kNtscFrameRate).empty());
}

struct Parse {
  const char* digits;
  int32_t mode;
  float fps;
  int32_t ms;
};

TEST(TimeCodeTest, ParseTimeDigitsWithCarries) {
  const Parse cases[] = {
      {"00005930", 1, 25.0f, 60200},  // the frames field is not limited
      {"00000:00", 1, 25.0f, 10000},  // ':' is the cell after '9'
      {"00001000", 1, 25.0f, 10000},
      {"00010/00", 1, 25.0f, 59000},  // '/' is the cell before '0'
      {"00000100", 1, kNtscFrameRate, 1000},
      {"00000030", 1, kNtscFrameRate, 1001},
      {"0000037", 2, 25.0f, 1480},
      {"0000030", 2, kNtscFrameRate, 1001},
      {"010203004", 0, 25.0f, 3723004},
      {"000000003", -1, 25.0f, 3},
      {"99595924", 1, 25.0f, 359999960},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ParseTimeDigits(c.digits, c.mode, c.fps), c.ms) << c.digits << " mode " << c.mode;
  }
}

TEST(TimeCodeTest, FormattedTimeCodesParseBackToTheSameText) {
  // What a time-code control shows must read back as what it shows.
  for (float fps : {25.0f, kNtscFrameRate}) {
    for (int32_t ms = 0; ms < 4 * 3600 * 1000; ms += 997) {
      const std::string text = FormatTime(ms, 1, fps);
      std::string digits;
      for (char c : text) {
        if (c != ':')
          digits += c;
      }
      ASSERT_EQ(FormatTime(ParseTimeDigits(digits, 1, fps), 1, fps), text) << ms;
    }
  }
}

TEST(TimeCodeTest, DigitCountPerMode) {
  EXPECT_EQ(TimeDigitCount(1), 8);
  EXPECT_EQ(TimeDigitCount(2), 7);
  EXPECT_EQ(TimeDigitCount(0), 9);
  EXPECT_EQ(TimeDigitCount(-1), 9);
}

TEST(TimeCodeTest, MulDivRoundRoundsHalvesAwayFromZero) {
  struct {
    int32_t a, b, c, result;
  } cases[] = {
      {1, 3, 2, 2},
      {-1, 3, 2, -2},
      {1, -3, 2, -2},
      {-1, -3, 2, 2},
      {1, 3, -2, -2},
      {1000000, 1, 3, 333333},
      {1000000, 1000, 29970, 33367},
      {1000000, 1000, 25000, 40000},
      {INT32_MAX, INT32_MAX, INT32_MAX, INT32_MAX},
      {7, 100, 7, 100},
      {3, 100, 7, 43},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(MulDivRound(c.a, c.b, c.c), c.result) << c.a << "*" << c.b << "/" << c.c;
  }
}

}  // namespace
