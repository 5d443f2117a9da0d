#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "tests/cardsim/card_fifo_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr milliseconds kPalPeriod{40};

// Periods k >= first whose due time, start + k periods, lies before t.
int32_t PeriodsDueBefore(Clock::time_point start, Clock::time_point t, int32_t first) {
  int32_t n = 0;
  for (int32_t k = first; start + k * kPalPeriod < t; ++k)
    ++n;
  return n;
}

// The consumer is kept off the processor while frames 2 on arrive after
// their periods were due; once it runs it must not show them in periods
// that had passed without them.
TEST_F(CardFifoTest, LateWakeUpCountsEveryPeriodWhoseFrameWasNotThere) {
  CardLibrary card({{"ORVINTER_SIM_STANDARD", "pal"}});
  // Small frames, so that queueing one takes no time worth a period.
  Open(card, 4194304, 64, 32);
  ASSERT_TRUE(Queue(0));
  ASSERT_TRUE(Queue(1));
  api->orvsim_hold_consumer(1);
  const Clock::time_point runBegun = Clock::now();
  ASSERT_EQ(api->vdc_Run(), 1);
  const Clock::time_point runDone = Clock::now();

  std::this_thread::sleep_until(runDone + milliseconds(165));
  const Clock::time_point lateBegun = Clock::now();
  ASSERT_TRUE(Queue(2));
  const Clock::time_point lateDone = Clock::now();
  // Enough behind it that the FIFO cannot run dry while this test looks.
  for (int32_t n = 3; n < 30; ++n)
    ASSERT_TRUE(Queue(n));
  api->orvsim_hold_consumer(0);
  ASSERT_TRUE(WaitFor([&] { return api->orvsim_frames_shown() >= 5; }, milliseconds(5000)));
  const int32_t underruns = api->orvsim_underruns();

  // Periods 1 and 2 had frames 0 and 1; from period 3 on, every period due
  // before frame 2 was whole had nothing to show. The card's clock started
  // somewhere inside vdc_Run.
  const int32_t surely = PeriodsDueBefore(runDone, lateBegun, 3);
  const int32_t atMost = PeriodsDueBefore(runBegun, lateDone, 3);
  ASSERT_GE(surely, 2) << "frame 2 came after periods 3 and 4";
  EXPECT_GE(underruns, surely);
  EXPECT_LE(underruns, atMost);
  EXPECT_GE(api->orvsim_late_frames(), 2) << "frames 0 and 1 went up long after their time";
  EXPECT_EQ(api->orvsim_protocol_errors(), 0);

  std::vector<uint8_t> shown(2 * field);
  const int32_t frame = api->orvsim_copy_alpha(shown.data(), 2 * field);
  EXPECT_GE(frame, 4);
  EXPECT_EQ(shown[0], frame) << "in order, none skipped";
  api->vdc_Stop();
}

TEST_F(CardFifoTest, StallWhilePlayingHoldsThePictureAndCountsNothingUntilResumed) {
  CardLibrary card({{"ORVINTER_SIM_STANDARD", "pal"}});
  Open(card, 4194304, 768, 576);
  for (int32_t n = 0; n < 5; ++n)
    ASSERT_TRUE(Queue(n));
  ASSERT_EQ(api->vdc_Run(), 1);
  ASSERT_TRUE(WaitFor([&] { return api->orvsim_frames_shown() >= 1; }, milliseconds(5000)));
  api->orvsim_set_stall(1);
  const int32_t shown = api->orvsim_frames_shown();
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(api->orvsim_frames_shown(), shown) << "a stopped frame clock takes nothing";
  EXPECT_EQ(api->orvsim_underruns(), 0);

  api->orvsim_set_stall(0);
  ASSERT_TRUE(WaitFor([&] { return api->orvsim_frames_shown() == 5; }, milliseconds(5000)));
  EXPECT_TRUE(WaitFor([&] { return api->orvsim_underruns() >= 1; }, milliseconds(5000)))
      << "periods are judged again once it runs";
  EXPECT_EQ(api->orvsim_protocol_errors(), 0);
}

TEST(CardFreeSizeDelayTest, EveryQueryTakesTheDelayAndThenAnswers) {
  const struct {
    const char* label;
    std::initializer_list<ScopedCardEnv::Setting> env;
    int32_t setUs;  // -1: as loaded
    milliseconds atLeast;
  } cases[] = {
      {"from the environment",
       {{"ORVINTER_SIM_FREE_SIZE_DELAY_US", "30000"}},
       -1,
       milliseconds(30)},
      {"set while loaded", {}, 50000, milliseconds(50)},
      {"set back to none", {{"ORVINTER_SIM_FREE_SIZE_DELAY_US", "300000"}}, 0, milliseconds(0)},
  };
  for (const auto& c : cases) {
    CardLibrary card(c.env);
    ASSERT_TRUE(ClaimStreaming(card));
    int32_t size = 1 << 20;
    ASSERT_NE(card.api.vdc_AllocVideoFifo(&size), nullptr);
    if (c.setUs >= 0)
      card.api.orvsim_set_free_size_delay(c.setUs);
    const int32_t queries = card.api.orvsim_free_size_queries();
    const Clock::time_point before = Clock::now();
    EXPECT_EQ(card.api.vdc_CheckFreeSize(100000, kFifoGuardKiB), 0) << c.label;
    const Clock::duration took = Clock::now() - before;
    EXPECT_GE(took, c.atLeast) << c.label;
    if (c.atLeast == milliseconds(0)) {
      EXPECT_LT(took, milliseconds(300)) << c.label << ": no wait left";
    }
    EXPECT_EQ(card.api.orvsim_free_size_queries(), queries + 1) << c.label;
  }
}

}  // namespace
