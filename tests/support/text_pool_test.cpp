#include "support/text_pool.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(TextPoolTest, IntToTextPadsWithBlanksOrZeros) {
  struct {
    int32_t value, width;
    const char* text;
  } cases[] = {
      {128, 0, "128"},   {-24, 0, "-24"},  {7, 3, "  7"}, {7, -3, "007"},
      {1234, 2, "1234"}, {-5, -4, "-005"}, {0, 0, "0"},   {INT32_MIN, 0, "-2147483648"},
  };
  for (const auto& c : cases)
    EXPECT_STREQ(IntToText(c.value, c.width), c.text);
}

TEST(TextPoolTest, TextStaysValidForThirtyOneFurtherRequests) {
  const char* first = IntToText(42);
  for (int i = 0; i < kTextPoolBuffers - 1; ++i)
    IntToText(i + 1000);
  EXPECT_STREQ(first, "42");
  IntToText(7);  // the 32nd request reuses the first buffer
  EXPECT_STREQ(first, "7");
}

TEST(TextPoolTest, AbsurdWidthStaysInsideTheBuffer) {
  const char* text = IntToText(1, 100000);
  EXPECT_LT(std::strlen(text), static_cast<size_t>(kTextPoolBufferSize));
  EXPECT_EQ(text[std::strlen(text) - 1], '1');
}

}  // namespace
