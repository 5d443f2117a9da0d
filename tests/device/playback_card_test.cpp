#include <dirent.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "device/playback.h"
#include "support/error_codes.h"
#include "support/time_code.h"
#include "tests/device/device_fixture.h"
#include "tests/device/sweep.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Threads of this process now.
int ThreadCount() {
  int n = 0;
  if (DIR* tasks = opendir("/proc/self/task")) {
    while (dirent* e = readdir(tasks)) {
      if (e->d_name[0] != '.')
        ++n;
    }
    closedir(tasks);
  }
  return n;
}

// Playback as the dialog runs it, on the simulated card: the device's
// claims, the pre-fill, the worker, then vdc_Run.
class CardRunTest : public DeviceTest {
 protected:
  void OpenCard(const char* standard) {
    ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", standard}}), kOk);
    const std::vector<uint8_t> picture = DiagonalPicture(320, 240);
    ASSERT_TRUE(device.SetPattern(picture.data(), 320, 240));
    sim = std::make_unique<SimulatedCard>(device);
    ASSERT_TRUE(sim->Found());
  }
  double Period() const { return 1.0 / device.FrameRate(); }

  OrvaneDevice device;
  std::unique_ptr<SimulatedCard> sim;
  std::atomic<int32_t> width{48};
  std::atomic<int32_t> stopFlag{1};
  CardPlayer player{device};
  Playback playback{player, width, stopFlag};
};

struct RunCase {
  const char* standard;
  int32_t jitterUs;
};

class CardRunStandardTest : public CardRunTest, public ::testing::WithParamInterface<RunCase> {};

// The card judges every period from vdc_Run on by when its frame was whole,
// so a wake-up of its own that comes late is no excuse and no fault of the
// program's.
TEST_P(CardRunStandardTest, NoUnderrunFromRunOn) {
  const RunCase& c = GetParam();
  OpenCard(c.standard);
  sim->setJitter(c.jitterUs);
  ASSERT_EQ(playback.Begin(1000, device.FrameRate()), kOk);
  const Clock::time_point runBegun = Clock::now();
  playback.RunCard();
  const Clock::time_point runDone = Clock::now();
  std::this_thread::sleep_for(milliseconds(2000));
  const Clock::time_point before = Clock::now();
  const int32_t shown = sim->framesShown();
  const int32_t underruns = sim->underruns();
  const int32_t late = sim->lateFrames();
  const Clock::time_point after = Clock::now();
  playback.End();

  std::printf("%s, jitter %d us: %d frames shown, %d underruns, %d late, %d pre-filled\n",
              c.standard, c.jitterUs, shown, underruns, late, playback.Prefilled());
  EXPECT_EQ(underruns, 0);
  EXPECT_EQ(sim->protocolErrors(), 0);
  EXPECT_EQ(sim->strayReleases(), 0) << "Stop gives back only what Play claimed";
  // A frame for every period due by the time the counts were read, less
  // the ones the jitter may still hold back, and less a margin for a card
  // thread that this loaded machine keeps waiting.
  const double held = c.jitterUs / 1e6 + Period();
  const double atLeast = std::chrono::duration<double>(before - runDone).count() - held;
  const double atMost = std::chrono::duration<double>(after - runBegun).count();
  EXPECT_GE(shown, static_cast<int32_t>(0.8 * atLeast / Period()));
  EXPECT_LE(shown, static_cast<int32_t>(atMost / Period()) + 1);
  if (c.jitterUs > 0) {
    EXPECT_GT(late, 0) << "wake-ups a field late put frames up late";
  }
}

INSTANTIATE_TEST_SUITE_P(Standards, CardRunStandardTest,
                         ::testing::Values(RunCase{"ntsc", 0}, RunCase{"pal", 0},
                                           RunCase{"ntsc", 30000}, RunCase{"pal", 30000}),
                         [](const auto& info) {
                           return std::string(info.param.standard) +
                                  (info.param.jitterUs > 0 ? "_jitter" : "");
                         });

class CardCycleTest : public CardRunTest, public ::testing::WithParamInterface<const char*> {};

// Stop at every moment of the first frame period, from before vdc_Run has
// returned to the period's end: nothing claimed, allocated or running may
// be left behind.
TEST_P(CardCycleTest, TwoHundredPlayStopCyclesLeaveNothingBehind) {
  OpenCard(GetParam());
  const OrvinterApi& api = device.Driver();
  constexpr int kCycles = 200;
  // Counted after the first cycle, when whatever a sanitizer starts with
  // the first thread of the process is there too.
  int threads = 0;
  const auto period = std::chrono::duration<double>(Period());
  for (int k = 0; k < kCycles; ++k) {
    ASSERT_EQ(playback.Begin(1000, device.FrameRate()), kOk) << k;
    const Clock::time_point run = Clock::now();
    playback.RunCard();
    std::this_thread::sleep_until(
        run + std::chrono::duration_cast<Clock::duration>(period * k / kCycles));
    playback.End();
    ASSERT_FALSE(playback.WorkerRunning()) << k;
    ASSERT_EQ(device.FifoSize(), 0) << k;
    ASSERT_EQ(api.vdc_GetFifoSize(), 0) << k << ": the card's ring is free";
    for (int32_t n : {kResourceFifoDma, kResourceFrameInterrupt, kResourceAlpha}) {
      ASSERT_EQ(api.vdc_is_registered(n), 0) << k << ": resource " << n;
    }
    if (k == 0)
      threads = ThreadCount();
  }
  EXPECT_EQ(ThreadCount(), threads) << "neither worker nor consumer outlives its Stop";
  EXPECT_EQ(sim->protocolErrors(), 0);
  EXPECT_EQ(sim->strayReleases(), 0);
  EXPECT_EQ(api.vdc_is_registered(kResourceBoard), 1) << "the board stays the program's";
}

INSTANTIATE_TEST_SUITE_P(Standards, CardCycleTest, ::testing::Values("ntsc", "pal"));

struct SweepCase {
  const char* standard;
  int32_t width, durationMs;
};

class CardSweepTest : public CardRunTest, public ::testing::WithParamInterface<SweepCase> {};

// The card shows frame after frame, as fast as the test takes them, and
// each is the wipe at the positions of its number: the in pass, the out
// pass and the start of the next in pass.
TEST_P(CardSweepTest, ShownAlphaFollowsThePassPositions) {
  const SweepCase& c = GetParam();
  OpenCard(c.standard);
  width.store(c.width);
  ASSERT_EQ(playback.Begin(c.durationMs, device.FrameRate()), kOk);
  const Sweep sweep{c.width + 256, MsToFrames(c.durationMs, device.FrameRate()) / 2};
  ASSERT_EQ(playback.HalfFrames(), sweep.halfFrames);
  const int32_t wanted = 2 * sweep.halfFrames + 3;
  std::vector<uint8_t> picture;
  int32_t next = 0;
  const Clock::time_point end = Clock::now() + milliseconds(20000);
  while (next < wanted && Clock::now() < end) {
    if (sim->consume(1) == 0) {
      std::this_thread::sleep_for(milliseconds(1));
      continue;
    }
    const int32_t frame = sim->Shown(picture, device.Pattern().size());
    ASSERT_EQ(frame, next) << "one frame at a time, in order";
    int32_t p1 = 0, p2 = 0;
    sweep.Positions(frame, p1, p2);
    ASSERT_TRUE(picture == ExpectedFrame(device.Pattern(), p1, p2, c.width))
        << "frame " << frame << " at " << p1 << "/" << p2;
    ++next;
  }
  playback.End();
  EXPECT_EQ(next, wanted);
  EXPECT_EQ(sim->protocolErrors(), 0);
}

INSTANTIATE_TEST_SUITE_P(Edges, CardSweepTest,
                         ::testing::Values(SweepCase{"ntsc", 0, 1000}, SweepCase{"pal", 0, 1000},
                                           SweepCase{"ntsc", 255, 1000},
                                           SweepCase{"pal", 255, 1000},
                                           SweepCase{"ntsc", 48, 10000},
                                           SweepCase{"pal", 48, 10000}),
                         [](const auto& info) {
                           return std::string(info.param.standard) + "_width" +
                                  std::to_string(info.param.width) + "_" +
                                  std::to_string(info.param.durationMs) + "ms";
                         });

}  // namespace
