#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "support/error_codes.h"
#include "tests/device/device_fixture.h"
#include "tests/device/sweep.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct PlaybackCase {
  const char* standard;
  int32_t width, height;
};

class PlaybackTest : public DeviceTest, public ::testing::WithParamInterface<PlaybackCase> {};

// Frames are queued from a worker while the card consumes them in real time
// and the main thread changes the still picture meanwhile, as during Play.
TEST_P(PlaybackTest, CardKeepsUpForThreeSecondsWithoutUnderrunsOrProtocolErrors) {
  const PlaybackCase& c = GetParam();
  OrvaneDevice device;
  ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", c.standard}}), kOk);
  ASSERT_EQ(device.FrameWidth(), c.width);
  const std::vector<uint8_t> picture = DiagonalPicture(400, 300);
  ASSERT_TRUE(device.SetPattern(picture.data(), 400, 300));
  ASSERT_EQ(device.StartPlayback(), kOk);
  SimulatedCard card(device);
  const OrvinterApi& api = device.Driver();

  constexpr int32_t kWidth = 48;
  const Sweep sweep{kWidth + 256, MsToFrames(1000, FrameRate) / 2};
  ASSERT_GT(sweep.halfFrames, 0);

  // Pre-fill, then hand the queue over to the worker and start the card.
  int32_t next = 0;
  int32_t p1 = 0, p2 = 0;
  for (sweep.Positions(next, p1, p2); device.QueueFrame(p1, p2, kWidth);
       sweep.Positions(next, p1, p2)) {
    ++next;
  }
  ASSERT_GT(next, 5) << "the FIFO holds several frames";
  std::atomic<bool> stop{false};
  std::thread worker([&] {
    int32_t n = next;
    int32_t q1 = 0, q2 = 0;
    while (!stop.load(std::memory_order_acquire)) {
      sweep.Positions(n, q1, q2);
      if (device.QueueFrame(q1, q2, kWidth)) {
        ++n;
      } else {
        std::this_thread::sleep_for(milliseconds(1));
      }
    }
  });
  const Clock::time_point started = Clock::now();
  ASSERT_EQ(api.vdc_Run(), 1);
  const Clock::time_point running = Clock::now();

  const size_t frameBytes = device.Pattern().size();
  const size_t fieldBytes = frameBytes / 2;
  std::vector<uint8_t> shown, top(fieldBytes), bottom(fieldBytes);
  std::mt19937 random(7);
  int checkedFrames = 0;
  const Clock::time_point end = Clock::now() + milliseconds(3000);
  while (Clock::now() < end) {
    const int32_t alpha = static_cast<int32_t>(random() % 304) - 24;
    device.ShowAlpha(alpha, kWidth);
    ASSERT_EQ(api.vdc_get_alpha(top.data(), bottom.data(), static_cast<int32_t>(fieldBytes)), 1);
    const std::vector<uint8_t>& still = device.AlphaMap();
    ASSERT_TRUE(std::equal(top.begin(), top.end(), still.begin())) << "still alpha " << alpha;
    ASSERT_TRUE(std::equal(bottom.begin(), bottom.end(), still.begin() + fieldBytes));

    const int32_t frame = card.Shown(shown, frameBytes);
    if (frame >= 0) {
      sweep.Positions(frame, p1, p2);
      ASSERT_EQ(shown, ExpectedFrame(device.Pattern(), p1, p2, kWidth))
          << "frame " << frame << " at " << p1 << "/" << p2;
      ++checkedFrames;
    }
    std::this_thread::sleep_for(milliseconds(37));
  }
  const Clock::time_point before = Clock::now();
  const int32_t underruns = card.underruns();
  const int32_t errors = card.protocolErrors();
  const int32_t framesShown = card.framesShown();
  const Clock::time_point after = Clock::now();
  stop.store(true, std::memory_order_release);
  worker.join();
  device.StopPlayback();

  EXPECT_EQ(underruns, 0);
  EXPECT_EQ(errors, 0);
  // Bounded by the time that really passed, which a slow build stretches.
  const double atLeast = std::chrono::duration<double>(before - running).count() * FrameRate;
  const double atMost = std::chrono::duration<double>(after - started).count() * FrameRate;
  EXPECT_GE(framesShown, static_cast<int32_t>(atLeast * 0.8)) << "real time";
  EXPECT_LE(framesShown, static_cast<int32_t>(atMost) + 1) << "never faster";
  EXPECT_GT(checkedFrames, 30);
}

INSTANTIATE_TEST_SUITE_P(Standards, PlaybackTest,
                         ::testing::Values(PlaybackCase{"ntsc", 640, 480},
                                           PlaybackCase{"pal", 768, 576}),
                         [](const auto& info) { return std::string(info.param.standard); });

}  // namespace
