#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "support/error_codes.h"
#include "tests/device/device_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// A card whose free-space query takes this long keeps a worker inside
// QueueFrame for as long.
constexpr int32_t kSlowQueryUs = 150000;

class DeviceGuardTest : public DeviceTest {
 protected:
  void OpenPlaying(OrvaneDevice& device) {
    ASSERT_EQ(OpenWith(device), kOk);
    ASSERT_TRUE(device.SetPattern(picture.data(), 320, 256));
    ASSERT_EQ(device.StartPlayback(), kOk);
  }
  // Waits until a free-space query beyond `before` has begun; notYet is
  // the last moment it had not, so the query ends a delay after that at the
  // earliest.
  static bool QueryBegun(const SimulatedCard& card, int32_t before, Clock::time_point& notYet) {
    const Clock::time_point end = Clock::now() + milliseconds(5000);
    for (;;) {
      const Clock::time_point now = Clock::now();
      if (card.freeSizeQueries() > before)
        return true;
      if (now > end)
        return false;
      notYet = now;
      std::this_thread::sleep_for(milliseconds(1));
    }
  }

  const std::vector<uint8_t> picture = DiagonalPicture(320, 256);
};

TEST_F(DeviceGuardTest, CloseStopAndSetPatternWaitForTheFrameBeingQueued) {
  const struct {
    const char* label;
    std::function<void(OrvaneDevice&, const std::vector<uint8_t>&)> act;
  } cases[] = {
      {"StopPlayback", [](OrvaneDevice& d, const std::vector<uint8_t>&) { d.StopPlayback(); }},
      {"Close", [](OrvaneDevice& d, const std::vector<uint8_t>&) { d.Close(); }},
      {"SetPattern",
       [](OrvaneDevice& d, const std::vector<uint8_t>& p) { d.SetPattern(p.data(), 256, 320); }},
  };
  for (const auto& c : cases) {
    OrvaneDevice device;
    OpenPlaying(device);
    SimulatedCard card(device);
    ASSERT_TRUE(card.Found());
    card.setFreeSizeDelay(kSlowQueryUs);
    const int32_t queries = card.freeSizeQueries();

    bool queued = false;
    Clock::time_point notYet = Clock::now();
    // Joined however the test leaves this scope: a failed ASSERT below must
    // not destroy a thread that still runs.
    std::jthread worker([&] { queued = device.QueueFrame(0, 10, 48); });
    ASSERT_TRUE(QueryBegun(card, queries, notYet)) << c.label;
    c.act(device, picture);
    const Clock::time_point actDone = Clock::now();
    worker.join();

    EXPECT_TRUE(queued) << c.label << ": nothing was taken from under the frame";
    EXPECT_GE(actDone - notYet, std::chrono::microseconds(kSlowQueryUs))
        << c.label << " ran while the frame was being queued";
    if (device.LibraryLoaded()) {
      EXPECT_EQ(card.protocolErrors(), 0) << c.label;
      card.setFreeSizeDelay(0);
    }
  }
}

TEST_F(DeviceGuardTest, QueueFrameNeverWaitsForTheGuard) {
  OrvaneDevice device;
  OpenPlaying(device);
  SimulatedCard card(device);
  card.setFreeSizeDelay(kSlowQueryUs);
  const int32_t queries = card.freeSizeQueries();
  Clock::time_point notYet = Clock::now();
  std::jthread worker([&] { device.QueueFrame(0, 10, 48); });
  ASSERT_TRUE(QueryBegun(card, queries, notYet));
  // While one frame is on its way another call answers "no room" at once
  // instead of queueing behind it.
  const Clock::time_point before = Clock::now();
  EXPECT_FALSE(device.QueueFrame(20, 30, 48));
  EXPECT_LT(Clock::now() - before, milliseconds(kSlowQueryUs / 2000));
  worker.join();
  EXPECT_EQ(device.FrameCounter(), 1);
  card.setFreeSizeDelay(0);
  device.StopPlayback();
}

}  // namespace
