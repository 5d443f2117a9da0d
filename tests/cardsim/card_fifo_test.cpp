#include <gtest/gtest.h>

#include <chrono>
#include <thread>
#include <vector>

#include "tests/cardsim/card_fifo_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

TEST(CardFifoAllocationTest, NeedsTheDmaChannelAndRoundsTheSize) {
  struct {
    const char* label;
    std::initializer_list<ScopedCardEnv::Setting> env;
    int32_t requested, given;  // 0: refused
  } const cases[] = {
      {"as requested", {}, 4194304, 4194304},
      {"down to whole pages", {}, 5000000, 4997120},
      {"at least 64 KiB", {}, 100, 65536},
      {"at most the card's memory", {{"ORVINTER_SIM_FIFO_MAX", "1048576"}}, 4194304, 1048576},
      {"allocation failure", {{"ORVINTER_SIM_FIFO_FAIL", "1"}}, 4194304, 0},
      {"nothing requested", {}, 0, 0},
  };
  for (const auto& c : cases) {
    CardLibrary card(c.env);
    int32_t size = c.requested;
    EXPECT_EQ(card.api.vdc_AllocVideoFifo(&size), nullptr) << c.label << ": resource 9 not held";
    ASSERT_EQ(card.api.vdc_register(kResourceFifoDma), 1);
    uint8_t* fifo = card.api.vdc_AllocVideoFifo(&size);
    EXPECT_EQ(fifo != nullptr, c.given != 0) << c.label;
    if (fifo == nullptr)
      continue;
    EXPECT_EQ(size, c.given) << c.label;
    EXPECT_EQ(card.api.vdc_GetFifoSize(), c.given) << c.label;
    int32_t again = c.requested;
    EXPECT_EQ(card.api.vdc_AllocVideoFifo(&again), nullptr) << c.label << ": already allocated";
    EXPECT_EQ(card.api.vdc_ReleaseVideoFifo(), 1);
    EXPECT_EQ(card.api.vdc_ReleaseVideoFifo(), 0) << "released already";
    EXPECT_NE(card.api.vdc_AllocVideoFifo(&again), nullptr) << c.label << ": free again";
  }
}

TEST_F(CardFifoTest, FreeSizeKeepsTheGuardInFrontOfTheReader) {
  CardLibrary card;
  Open(card, 1048576, 640, 480);
  EXPECT_EQ(api->vdc_CheckFreeSize(-1, 40), -3);
  EXPECT_EQ(api->vdc_CheckFreeSize(ring + 1, 0), -3);
  EXPECT_EQ(api->vdc_CheckFreeSize(100, -1), -3);
  // 307200-byte frames need 307200 + 40 KiB free: three fit in 1 MiB.
  std::vector<int32_t> offsets;
  for (int32_t n = 0; n < 10; ++n) {
    const int32_t e = api->vdc_CheckFreeSize(2 * field, kFifoGuardKiB);
    if (e < 0) {
      EXPECT_EQ(e, -1);
      break;
    }
    offsets.push_back(e);
    ASSERT_TRUE(Queue(n));
  }
  EXPECT_EQ(offsets, (std::vector<int32_t>{0, 307200, 614400}));
  EXPECT_EQ(api->vdc_GetFreeSize(), 1048576 - 3 * 307200);
  EXPECT_EQ(api->vdc_CheckFreeSize(2 * field, 0), -1) << "no room even without the guard";
  ASSERT_EQ(api->orvsim_consume(1), 1);
  EXPECT_EQ(api->vdc_CheckFreeSize(2 * field, kFifoGuardKiB), 921600) << "room again";
}

TEST(CardFifoNoRingTest, AnswersWithoutAFifo) {
  CardLibrary card;
  EXPECT_EQ(card.api.vdc_CheckFreeSize(307200, 40), -2);
  EXPECT_EQ(card.api.vdc_AddData(0, 0, 2, 153600), 0);
  EXPECT_EQ(card.api.orvsim_protocol_errors(), 1) << "announcing into no FIFO breaks the protocol";
  EXPECT_EQ(card.api.vdc_Run(), 0);
}

TEST_F(CardFifoTest, DescriptorsRunOutBeforeTheBytesOfTinyFrames) {
  CardLibrary card;
  Open(card, 65536, 2, 2);
  int32_t n = 0;
  while (n < 1000 && Queue(n))
    ++n;
  EXPECT_EQ(n, 255) << "one descriptor per frame, one kept for a broken run";
  EXPECT_EQ(api->vdc_GetQueuedFrames(), 255);
  EXPECT_EQ(api->orvsim_protocol_errors(), 0);
}

struct Announcement {
  int32_t frame, field, kind, bytes;
};
constexpr int32_t F = 153600;  // a 640 x 480 field

TEST_F(CardFifoTest, AnnouncementsThatBreakTheProtocolAreCountedAndSkipped) {
  struct Case {
    const char* label;
    std::vector<Announcement> calls;
    int32_t errors, frames;
  };
  const Case cases[] = {
      {"one frame", {{0, 0, 2, F}, {0, 1, 2, F}, {0, 0, 4, 0}}, 0, 1},
      {"two frames",
       {{0, 0, 2, F}, {0, 1, 2, F}, {0, 0, 4, 0}, {1, 0, 2, F}, {1, 1, 2, F}, {1, 0, 4, 0}},
       0,
       2},
      {"end without the bottom field", {{0, 0, 2, F}, {0, 0, 4, 0}}, 1, 0},
      {"bottom field without the top", {{0, 1, 2, F}, {0, 0, 4, 0}}, 1, 0},
      {"fields of the wrong size", {{0, 0, 2, F - 4}, {0, 1, 2, F - 4}, {0, 0, 4, 0}}, 1, 0},
      {"fields of different frames", {{0, 0, 2, F}, {1, 1, 2, F}, {0, 0, 4, 0}}, 1, 0},
      {"end of another frame", {{0, 0, 2, F}, {0, 1, 2, F}, {1, 0, 4, 0}}, 1, 0},
      {"end carrying bytes", {{0, 0, 2, F}, {0, 1, 2, F}, {0, 0, 4, 8}}, 1, 0},
      {"end on field 1", {{0, 0, 2, F}, {0, 1, 2, F}, {0, 1, 4, 0}}, 1, 0},
      {"end of nothing", {{0, 0, 4, 0}}, 1, 0},
      {"a third field", {{0, 0, 2, F}, {0, 2, 2, F}, {0, 0, 4, 0}}, 1, 0},
      {"unknown kind", {{0, 0, 2, F}, {0, 1, 2, F}, {0, 0, 3, 0}, {0, 0, 4, 0}}, 1, 0},
      {"numbering resyncs after a wrong number",
       {{5, 0, 2, F}, {5, 1, 2, F}, {5, 0, 4, 0}, {6, 0, 2, F}, {6, 1, 2, F}, {6, 0, 4, 0}},
       1,
       1},
      {"a frame that never ended, then a good one",
       {{0, 0, 2, F}, {0, 1, 2, F}, {1, 0, 2, F}, {1, 1, 2, F}, {1, 0, 4, 0}},
       1,
       1},
      {"more data than room", {{0, 0, 2, 2000000}}, 1, 0},
  };
  CardLibrary card;
  Open(card, 1048576, 640, 480);
  for (const Case& c : cases) {
    api->vdc_Stop();
    api->vdc_ResetCounter(1, 0);
    ASSERT_EQ(api->vdc_GetFreeSize(), ring) << c.label;
    const int32_t errorsBefore = api->orvsim_protocol_errors();
    for (const Announcement& a : c.calls)
      api->vdc_AddData(a.frame, a.field, a.kind, a.bytes);
    EXPECT_EQ(api->orvsim_protocol_errors() - errorsBefore, c.errors) << c.label;
    EXPECT_EQ(api->vdc_GetQueuedFrames(), c.frames) << c.label;
    const int32_t shownBefore = api->orvsim_frames_shown();
    EXPECT_EQ(api->orvsim_consume(10), c.frames) << c.label;
    EXPECT_EQ(api->orvsim_frames_shown() - shownBefore, c.frames) << c.label;
    EXPECT_EQ(api->vdc_GetFreeSize(), ring) << c.label << ": skipped bytes are freed as well";
  }
}

TEST_F(CardFifoTest, ShowsAFrameThatWrapsAtTheRingEnd) {
  CardLibrary card;
  Open(card, 1048576, 640, 480);
  ASSERT_EQ(api->orvsim_set_fifo_origin(ring - 100000), 1);
  ASSERT_TRUE(Queue(0));
  EXPECT_EQ(api->orvsim_set_fifo_origin(0), 0) << "only an empty FIFO moves";
  ASSERT_EQ(api->orvsim_consume(5), 1);

  std::vector<uint8_t> shown(2 * field), expected(2 * field, 0);
  std::fill(expected.begin() + field, expected.end(), 100);
  EXPECT_EQ(api->orvsim_copy_alpha(shown.data(), 2 * field), 0) << "frame 0 on show";
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(api->orvsim_alpha_checksum(), Fnv1a(expected.data(), expected.size()));
  EXPECT_EQ(api->vdc_GetFrameNumber(), 0);
  EXPECT_EQ(api->vdc_GetFreeSize(), ring);
  EXPECT_EQ(api->vdc_CheckFreeSize(2 * field, 40), (ring - 100000 + 2 * field) % ring);
}

TEST_F(CardFifoTest, ConsumerTakesOneFramePerPeriodThenCountsUnderruns) {
  CardLibrary card({{"ORVINTER_SIM_STANDARD", "pal"}});
  Open(card, 4194304, 768, 576);
  for (int32_t n = 0; n < 4; ++n)
    ASSERT_TRUE(Queue(n));
  const Clock::time_point start = Clock::now();
  ASSERT_EQ(api->vdc_Run(), 1);
  ASSERT_TRUE(WaitFor([&] { return api->orvsim_frames_shown() == 4; }, milliseconds(5000)));
  // Frame 4 is due 160 ms after the start; never sooner.
  EXPECT_GE(Clock::now() - start, milliseconds(160));
  EXPECT_TRUE(WaitFor([&] { return api->orvsim_underruns() >= 2; }, milliseconds(5000)));
  EXPECT_EQ(api->orvsim_frames_shown(), 4);
  std::vector<uint8_t> shown(2 * field);
  EXPECT_EQ(api->orvsim_copy_alpha(shown.data(), 2 * field), 3) << "the last frame stays on show";
  EXPECT_EQ(shown[0], 3);
  EXPECT_EQ(shown[field], 103);
  api->vdc_Stop();
  EXPECT_EQ(api->orvsim_copy_alpha(shown.data(), 2 * field), -1) << "back to the still alpha";
  EXPECT_EQ(api->orvsim_protocol_errors(), 0);
}

TEST_F(CardFifoTest, PauseHoldsThePictureAndCountsNothing) {
  CardLibrary card({{"ORVINTER_SIM_STANDARD", "pal"}});
  Open(card, 4194304, 768, 576);
  for (int32_t n = 0; n < 3; ++n)
    ASSERT_TRUE(Queue(n));
  ASSERT_EQ(api->vdc_Pause(), 0) << "nothing runs yet";
  ASSERT_EQ(api->vdc_Run(), 1);
  ASSERT_TRUE(WaitFor([&] { return api->orvsim_frames_shown() >= 1; }, milliseconds(5000)));
  ASSERT_EQ(api->vdc_Pause(), 1);
  const int32_t shown = api->orvsim_frames_shown();
  std::this_thread::sleep_for(milliseconds(200));
  EXPECT_EQ(api->orvsim_frames_shown(), shown);
  EXPECT_EQ(api->orvsim_underruns(), 0);
  EXPECT_EQ(api->vdc_GetFrameNumber(), shown - 1);
  ASSERT_EQ(api->vdc_Run(), 1);
  EXPECT_TRUE(WaitFor([&] { return api->orvsim_frames_shown() == 3; }, milliseconds(5000)));
}

TEST_F(CardFifoTest, StalledConsumerNeverTakesAFrame) {
  CardLibrary card({{"ORVINTER_SIM_STALL", "1"}});
  Open(card, 4194304, 640, 480);
  int32_t n = 0;
  while (Queue(n))
    ++n;
  ASSERT_EQ(api->vdc_Run(), 1);
  std::this_thread::sleep_for(milliseconds(250));
  EXPECT_EQ(api->orvsim_frames_shown(), 0);
  EXPECT_EQ(api->orvsim_underruns(), 0) << "a full FIFO is no underrun";
  EXPECT_EQ(api->vdc_GetQueuedFrames(), n);
  EXPECT_LT(api->vdc_CheckFreeSize(2 * field, kFifoGuardKiB), 0);
}

TEST_F(CardFifoTest, StopAndFlushDropWhatIsQueued) {
  CardLibrary card;
  Open(card, 4194304, 640, 480);
  for (int32_t n = 0; n < 3; ++n)
    ASSERT_TRUE(Queue(n));
  EXPECT_EQ(api->vdc_Flush(), 3);
  EXPECT_EQ(api->vdc_GetQueuedFrames(), 0);
  EXPECT_EQ(api->vdc_GetFreeSize(), ring);
  for (int32_t n = 3; n < 5; ++n)
    ASSERT_TRUE(Queue(n)) << "numbering goes on after a flush";
  api->vdc_Stop();
  EXPECT_EQ(api->vdc_GetQueuedFrames(), 0);
  EXPECT_EQ(api->vdc_GetFreeSize(), ring);
  api->vdc_ResetCounter(1, 0);
  EXPECT_TRUE(Queue(0));
  EXPECT_EQ(api->orvsim_protocol_errors(), 0);
}

}  // namespace
