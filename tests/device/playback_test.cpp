#include "device/playback.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <random>
#include <stop_token>
#include <thread>
#include <vector>

#include "support/error_codes.h"
#include "support/time_code.h"
#include "tests/device/device_fixture.h"
#include "tests/device/play_tables.h"
#include "tests/device/sweep.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

struct Queued {
  FieldPositions at;
  int32_t w;
};

// A card whose FIFO takes exactly as many frames as a test gives it room
// for, and keeps what was queued.
class FakeCard : public PlayDevice {
 public:
  static constexpr int32_t kEndless = 1 << 30;

  int32_t StartPlayback() override {
    ++starts;
    return startCode;
  }
  void StopPlayback() override { ++stops; }
  bool QueueFrame(int32_t p1, int32_t p2, int32_t w) override {
    if (room.load() <= 0)
      return false;
    room.fetch_sub(1);
    std::lock_guard<std::mutex> lock(mutex_);
    frames_.push_back({{p1, p2}, w});
    return true;
  }
  void Run() override { ++runs; }

  std::vector<Queued> Frames() {
    std::lock_guard<std::mutex> lock(mutex_);
    return frames_;
  }
  void Forget() {
    std::lock_guard<std::mutex> lock(mutex_);
    frames_.clear();
  }
  // Waits until count frames were queued in all; false after a second.
  bool WaitForFrames(size_t count) {
    const Clock::time_point end = Clock::now() + milliseconds(1000);
    while (Clock::now() < end) {
      {
        std::lock_guard<std::mutex> lock(mutex_);
        if (frames_.size() >= count)
          return true;
      }
      std::this_thread::sleep_for(milliseconds(1));
    }
    return false;
  }

  int32_t startCode = kOk;
  std::atomic<int32_t> room{0};
  int starts = 0;
  int stops = 0;
  int runs = 0;

 private:
  std::mutex mutex_;
  std::vector<Queued> frames_;
};

class PlaybackTest : public ::testing::Test {
 protected:
  void TearDown() override { playback.End(); }

  std::atomic<int32_t> width{48};
  std::atomic<int32_t> stopFlag{1};
  FakeCard card;
  Playback playback{card, width, stopFlag};
};

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1000.0 + t.tv_nsec / 1e6;
}

TEST(PassPositionsTest, FollowTheHandWrittenTablesAtBothRates) {
  for (const PlayTable* table : {&kNtscTable, &kPalTable}) {
    ASSERT_EQ(MsToFrames(1000, table->fps) / 2, table->halfFrames) << table->fps;
    for (int32_t i = 0; i < table->halfFrames; ++i) {
      EXPECT_EQ(PassPositions(PlayPass::In, i, 304, table->halfFrames), table->in[i])
          << table->fps << " in " << i;
      EXPECT_EQ(PassPositions(PlayPass::Out, i, 304, table->halfFrames), table->out[i])
          << table->fps << " out " << i;
    }
  }
  EXPECT_EQ(MsToFrames(10000, kNtscFrameRate) / 2, 150);
  EXPECT_EQ(MsToFrames(10000, kPalFrameRate) / 2, 125);
}

TEST(PassPositionsTest, StayWithinTheSpanForEveryWidthAndLength) {
  for (int32_t w : {0, 1, 48, 255}) {
    const int32_t span = w + 256;
    for (int32_t n : {1, 2, 3, 12, 15, 125, 150}) {
      for (int32_t i = 0; i < n; ++i) {
        for (PlayPass pass : {PlayPass::In, PlayPass::Out}) {
          const FieldPositions p = PassPositions(pass, i, span, n);
          ASSERT_GE(p.p1, 0) << w << " " << n << " " << i;
          ASSERT_LE(p.p1, span);
          ASSERT_GE(p.p2, 0);
          ASSERT_LE(p.p2, span);
        }
      }
      EXPECT_EQ(PassPositions(PlayPass::In, 0, span, n).p1, 0);
      EXPECT_EQ(PassPositions(PlayPass::Out, 0, span, n).p1, span);
    }
  }
}

TEST_F(PlaybackTest, QueuesInAndOutPassesOneAfterTheOther) {
  for (const PlayTable* table : {&kNtscTable, &kPalTable}) {
    card.Forget();
    const size_t total = 4 * static_cast<size_t>(table->halfFrames) + 5;
    card.room = static_cast<int32_t>(total);
    ASSERT_EQ(playback.Begin(1000, table->fps), kOk);
    EXPECT_EQ(playback.PositionSpan(), 304);
    EXPECT_EQ(playback.HalfFrames(), table->halfFrames);
    // Room for the whole in pass: the worker's first frame is the out
    // pass's first.
    EXPECT_EQ(playback.Prefilled(), table->halfFrames);
    ASSERT_TRUE(card.WaitForFrames(total));
    playback.End();
    const std::vector<Queued> frames = card.Frames();
    ASSERT_EQ(frames.size(), total);
    for (size_t n = 0; n < frames.size(); ++n) {
      EXPECT_EQ(frames[n].at, TableFrame(*table, static_cast<int64_t>(n)))
          << table->fps << " frame " << n;
      EXPECT_EQ(frames[n].w, 48);
    }
    EXPECT_EQ(playback.FramesQueued(), static_cast<int64_t>(total));
  }
}

TEST_F(PlaybackTest, ReversedRunQueuesEveryPositionMirroredInTheSpan) {
  // Both passes and a little of the next in pass, at both rates: the run
  // starts where the forward one turns, at 304 - 0.
  for (const PlayTable* table : {&kNtscTable, &kPalTable}) {
    card.Forget();
    const size_t total = 2 * static_cast<size_t>(table->halfFrames) + 3;
    card.room = static_cast<int32_t>(total);
    ASSERT_EQ(playback.Begin(1000, table->fps, WipeDirection::kReverse), kOk);
    EXPECT_EQ(playback.Direction(), WipeDirection::kReverse);
    ASSERT_TRUE(card.WaitForFrames(total));
    playback.End();
    const std::vector<Queued> frames = card.Frames();
    ASSERT_EQ(frames.size(), total);
    EXPECT_EQ(frames[0].at.p1, 304);
    for (size_t n = 0; n < frames.size(); ++n) {
      const FieldPositions forward = TableFrame(*table, static_cast<int64_t>(n));
      EXPECT_EQ(frames[n].at, (FieldPositions{304 - forward.p1, 304 - forward.p2}))
          << table->fps << " frame " << n;
    }
  }
  // The direction belongs to one run: the next Begin without it is forward.
  card.Forget();
  card.room = 2;
  ASSERT_EQ(playback.Begin(1000, kNtscFrameRate), kOk);
  ASSERT_TRUE(card.WaitForFrames(2));
  EXPECT_EQ(card.Frames()[1].at, kNtscTable.in[1]);
}

TEST_F(PlaybackTest, WorkerGoesOnWhereThePrefillStopped) {
  card.room = 4;
  ASSERT_EQ(playback.Begin(1000, kNtscFrameRate), kOk);
  EXPECT_EQ(playback.Prefilled(), 4);
  EXPECT_TRUE(playback.WorkerRunning());
  card.room += 1;
  ASSERT_TRUE(card.WaitForFrames(5));
  const std::vector<Queued> frames = card.Frames();
  ASSERT_EQ(frames.size(), 5u);
  for (size_t i = 0; i < frames.size(); ++i)
    EXPECT_EQ(frames[i].at, kNtscTable.in[i]) << "no frame twice, none skipped: " << i;
}

TEST_F(PlaybackTest, StopInAPassThenBeginStartsAtTheInPassFirstFrame) {
  card.room = 20;  // the in pass and 5 frames of the out pass
  ASSERT_EQ(playback.Begin(1000, kNtscFrameRate), kOk);
  ASSERT_TRUE(card.WaitForFrames(20));
  playback.End();
  EXPECT_EQ(playback.FrameIndex(), 5);
  EXPECT_EQ(card.stops, 1);

  card.Forget();
  card.room = 3;
  ASSERT_EQ(playback.Begin(1000, kNtscFrameRate), kOk);
  EXPECT_EQ(playback.FramesQueued(), 3);
  const std::vector<Queued> frames = card.Frames();
  ASSERT_EQ(frames.size(), 3u);
  for (size_t i = 0; i < frames.size(); ++i)
    EXPECT_EQ(frames[i].at, kNtscTable.in[i]) << i;
}

TEST_F(PlaybackTest, WidthChangeReachesTheNextFrameButNotTheSpan) {
  card.room = 3;
  ASSERT_EQ(playback.Begin(1000, kNtscFrameRate), kOk);
  width.store(100);
  // Two retries after the change: the second began after the change was
  // made, so every frame from here on reads the new width.
  const int64_t waits = playback.NoRoomWaits();
  const Clock::time_point end = Clock::now() + milliseconds(1000);
  while (playback.NoRoomWaits() < waits + 2 && Clock::now() < end)
    std::this_thread::sleep_for(milliseconds(1));
  card.room += 4;
  ASSERT_TRUE(card.WaitForFrames(7));
  playback.End();
  const std::vector<Queued> frames = card.Frames();
  for (size_t i = 0; i < frames.size(); ++i) {
    EXPECT_EQ(frames[i].w, i < 3 ? 48 : 100) << i;
    EXPECT_EQ(frames[i].at, kNtscTable.in[i]) << "the span stays 304: " << i;
  }
  EXPECT_EQ(playback.PositionSpan(), 304);
}

// What a display reads while the worker runs: always the frame just queued,
// with its number since Begin, and nothing after a Begin that queued none.
TEST_F(PlaybackTest, LastQueuedIsTheFrameQueuedLast) {
  const struct {
    int32_t width;
    int32_t room;  // frames the FIFO takes in all
  } cases[] = {{48, 0},
               {48, 1},
               {48, 4},
               {48, 16},
               // The out pass's first frame, at the far end of the widest
               // span (511), and a frame after two whole passes.
               {255, 16},
               {0, 31}};
  for (const auto& c : cases) {
    width.store(c.width);
    card.Forget();
    card.room = c.room;
    ASSERT_EQ(playback.Begin(1000, kNtscFrameRate), kOk);
    if (c.room == 0) {
      std::this_thread::sleep_for(milliseconds(5));
      EXPECT_EQ(playback.LastQueued(), QueuedFrame{}) << "none queued yet";
    } else {
      ASSERT_TRUE(card.WaitForFrames(static_cast<size_t>(c.room)));
    }
    playback.End();
    const std::vector<Queued> frames = card.Frames();
    ASSERT_EQ(frames.size(), static_cast<size_t>(c.room));
    if (frames.empty())
      continue;
    const QueuedFrame last = playback.LastQueued();
    EXPECT_EQ(last.positions, frames.back().at) << c.width << " " << c.room;
    EXPECT_EQ(last.width, c.width);
    EXPECT_EQ(last.number, c.room - 1);
  }
}

TEST_F(PlaybackTest, StopEndsAWorkerThatNeverGetsRoom) {
  card.room = 0;
  ASSERT_EQ(playback.Begin(1000, kPalFrameRate), kOk);
  EXPECT_EQ(playback.Prefilled(), 0);
  std::this_thread::sleep_for(milliseconds(30));
  const Clock::time_point start = Clock::now();
  playback.End();
  EXPECT_LT(Clock::now() - start, milliseconds(50));
  EXPECT_FALSE(playback.WorkerRunning());
  EXPECT_EQ(stopFlag.load(), 1);
  EXPECT_EQ(card.stops, 1);
  EXPECT_GT(playback.NoRoomWaits(), 0);
  EXPECT_TRUE(card.Frames().empty());
}

// A worker with nothing to do must leave the processor to the others, both
// when the FIFO is full and when a pass has no frames at all.
TEST_F(PlaybackTest, WaitsInsteadOfSpinning) {
  const struct {
    const char* what;
    int32_t durationMs;
    int32_t room;
  } cases[] = {{"full FIFO", 1000, 0}, {"passes of no frames", 3, FakeCard::kEndless}};
  for (const auto& c : cases) {
    card.room = c.room;
    ASSERT_EQ(playback.Begin(c.durationMs, kNtscFrameRate), kOk) << c.what;
    const double cpuBefore = ProcessCpuMs();
    const Clock::time_point start = Clock::now();
    std::this_thread::sleep_for(milliseconds(200));
    const double cpu = ProcessCpuMs() - cpuBefore;
    const double wall = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    playback.End();
    std::printf("%s: %.1f ms of processor in %.1f ms, %lld waits for room\n", c.what, cpu, wall,
                static_cast<long long>(playback.NoRoomWaits()));
    EXPECT_LT(cpu, wall / 4) << c.what << ": " << cpu << " ms of processor in " << wall << " ms";
    EXPECT_TRUE(card.Frames().empty()) << c.what;
    // At most one retry per wait; the clock may stretch a wait, never shorten it.
    EXPECT_LE(playback.NoRoomWaits(), static_cast<int64_t>(wall / 1.0) + 5) << c.what;
  }
  EXPECT_EQ(playback.HalfFrames(), 0) << "3 ms is no frame at 29.97";
}

TEST_F(PlaybackTest, FailuresAreReturnedAndLeaveNoWorker) {
  card.startCode = kErrResources;
  EXPECT_EQ(playback.Begin(1000, kNtscFrameRate), kErrResources);
  EXPECT_FALSE(playback.WorkerRunning());
  EXPECT_EQ(card.Frames().size(), 0u) << "nothing queued without the FIFO";
  playback.End();
  EXPECT_EQ(card.stops, 1);

  card.startCode = kOk;
  card.room = 2;
  {
    ScopedWorkerLauncher refuse([](std::thread&, std::function<void()>) { return false; });
    EXPECT_EQ(playback.Begin(1000, kNtscFrameRate), kErrFatal);
    EXPECT_FALSE(playback.WorkerRunning());
    playback.End();
    EXPECT_EQ(stopFlag.load(), 1);
  }
  card.Forget();
  card.room = 2;
  EXPECT_EQ(playback.Begin(1000, kNtscFrameRate), kOk) << "the standard launcher is back";
  EXPECT_TRUE(playback.WorkerRunning());
  EXPECT_EQ(playback.Begin(1000, kNtscFrameRate), kErrPlaying);
}

// The real card: every frame it is handed follows the tables, and it sees
// no protocol error, while the test takes frames off it as fast as it can.
class CardPlaybackTest : public DeviceTest, public ::testing::WithParamInterface<const char*> {};

class RecordingPlayer : public CardPlayer {
 public:
  using CardPlayer::CardPlayer;
  bool QueueFrame(int32_t p1, int32_t p2, int32_t w) override {
    if (!CardPlayer::QueueFrame(p1, p2, w))
      return false;
    std::lock_guard<std::mutex> lock(mutex);
    frames.push_back({{p1, p2}, w});
    return true;
  }
  size_t Count() {
    std::lock_guard<std::mutex> lock(mutex);
    return frames.size();
  }
  std::mutex mutex;
  std::vector<Queued> frames;
};

TEST_P(CardPlaybackTest, QueuesTheTablesOntoTheCard) {
  OrvaneDevice device;
  ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", GetParam()}}), kOk);
  const PlayTable& table = device.FrameRate() == kPalFrameRate ? kPalTable : kNtscTable;
  const std::vector<uint8_t> picture = DiagonalPicture(320, 240);
  ASSERT_TRUE(device.SetPattern(picture.data(), 320, 240));
  SimulatedCard sim(device);
  ASSERT_TRUE(sim.Found());

  std::atomic<int32_t> width{48};
  std::atomic<int32_t> stopFlag{1};
  RecordingPlayer player(device);
  Playback playback(player, width, stopFlag);
  ASSERT_EQ(playback.Begin(1000, device.FrameRate()), kOk);
  EXPECT_GT(playback.Prefilled(), 5) << "the FIFO holds several frames";
  EXPECT_LT(playback.Prefilled(), table.halfFrames) << "but not a whole pass";
  const size_t wanted = 4 * static_cast<size_t>(table.halfFrames) + 3;
  const Clock::time_point end = Clock::now() + milliseconds(5000);
  while (player.Count() < wanted && Clock::now() < end) {
    sim.consume(1);
    std::this_thread::sleep_for(milliseconds(1));
  }
  playback.End();
  EXPECT_EQ(sim.protocolErrors(), 0);
  std::lock_guard<std::mutex> lock(player.mutex);
  ASSERT_GE(player.frames.size(), wanted);
  for (size_t n = 0; n < player.frames.size(); ++n) {
    ASSERT_EQ(player.frames[n].at, TableFrame(table, static_cast<int64_t>(n))) << n;
  }
  EXPECT_EQ(sim.announcements(), 3 * static_cast<int32_t>(player.frames.size()));
}

INSTANTIATE_TEST_SUITE_P(Standards, CardPlaybackTest, ::testing::Values("ntsc", "pal"));

struct StreamCase {
  const char* standard;
  int32_t width, height;
};

class RealTimeStreamTest : public DeviceTest, public ::testing::WithParamInterface<StreamCase> {};

// Frames are queued from a worker while the card consumes them in real time
// and the main thread changes the still picture meanwhile, as during Play.
TEST_P(RealTimeStreamTest, CardKeepsUpForThreeSecondsWithoutUnderrunsOrProtocolErrors) {
  const StreamCase& c = GetParam();
  OrvaneDevice device;
  ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", c.standard}}), kOk);
  ASSERT_EQ(device.FrameWidth(), c.width);
  const std::vector<uint8_t> picture = DiagonalPicture(400, 300);
  ASSERT_TRUE(device.SetPattern(picture.data(), 400, 300));
  ASSERT_EQ(device.StartPlayback(), kOk);
  SimulatedCard card(device);
  const OrvinterApi& api = device.Driver();

  constexpr int32_t kWidth = 48;
  const Sweep sweep{kWidth + 256, MsToFrames(1000, device.FrameRate()) / 2};
  ASSERT_GT(sweep.halfFrames, 0);

  // Pre-fill, then hand the queue over to the worker and start the card.
  int32_t next = 0;
  int32_t p1 = 0, p2 = 0;
  for (sweep.Positions(next, p1, p2); device.QueueFrame(p1, p2, kWidth);
       sweep.Positions(next, p1, p2)) {
    ++next;
  }
  ASSERT_GT(next, 5) << "the FIFO holds several frames";
  // Asked to stop and joined however the test leaves: a failed ASSERT must
  // not destroy a thread that still runs.
  std::jthread worker([&](std::stop_token stop) {
    int32_t n = next;
    int32_t q1 = 0, q2 = 0;
    while (!stop.stop_requested()) {
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
  worker.request_stop();
  worker.join();
  device.StopPlayback();

  EXPECT_EQ(underruns, 0);
  EXPECT_EQ(errors, 0);
  // Bounded by the time that really passed, which a slow build stretches.
  const double atLeast =
      std::chrono::duration<double>(before - running).count() * device.FrameRate();
  const double atMost = std::chrono::duration<double>(after - started).count() * device.FrameRate();
  EXPECT_GE(framesShown, static_cast<int32_t>(atLeast * 0.8)) << "real time";
  EXPECT_LE(framesShown, static_cast<int32_t>(atMost) + 1) << "never faster";
  EXPECT_GT(checkedFrames, 30);
}

INSTANTIATE_TEST_SUITE_P(Standards, RealTimeStreamTest,
                         ::testing::Values(StreamCase{"ntsc", 640, 480},
                                           StreamCase{"pal", 768, 576}),
                         [](const auto& info) { return std::string(info.param.standard); });

}  // namespace
