#include <gtest/gtest.h>

#include <chrono>
#include <functional>

#include "support/error_codes.h"
#include "tests/app/fx_fixture.h"
#include "tests/device/device_fixture.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

// Faults of a card that come while the program plays.
class FxCardFaultTest : public FxTest {
 protected:
  TFxClient& StartLoaded() {
    TFxClient& c = Start();
    ChooseImage(WritePattern("diagonal.tga"));
    EXPECT_EQ(c.State(), TFxClient::kStateIdle);
    sim = std::make_unique<SimulatedCard>(Device);
    EXPECT_TRUE(sim->Found());
    return c;
  }
  // Runs the program's loop until condition holds; false after limit.
  static bool WaitFor(const std::function<bool()>& condition, milliseconds limit) {
    const Clock::time_point end = Clock::now() + limit;
    while (!condition()) {
      if (Clock::now() > end)
        return false;
      QTest::qWait(5);
    }
    return true;
  }
  bool PlaysAgain(TFxClient& c) {
    const int32_t shown = sim->framesShown();
    Click(kIdPlay);
    const bool played =
        c.Playing() && WaitFor([&] { return sim->framesShown() > shown + 2; }, milliseconds(3000));
    Click(kIdPlay);
    return played && !c.Playing();
  }

  std::unique_ptr<SimulatedCard> sim;
};

// A card whose frame clock stops while playing is no card to leave a Stop
// button over: the user is told, playback ends, and Play works once the
// card does.
TEST_F(FxCardFaultTest, CardThatStopsTakingFramesIsReportedAndPlaybackEnds) {
  TFxClient& c = StartLoaded();
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  ASSERT_TRUE(WaitFor([&] { return sim->framesShown() > 0; }, milliseconds(3000)));
  sim->setStall(1);
  const Clock::time_point stalled = Clock::now();
  ASSERT_TRUE(
      WaitFor([&] { return !prompter.messages.empty(); }, kCardStoppedAfter + milliseconds(3000)));
  // The last frame may have gone in up to a period before the stall.
  EXPECT_GE(Clock::now() - stalled, kCardStoppedAfter - milliseconds(200))
      << "not before the card has had its time";
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Can not start hardware video timer");
  EXPECT_EQ(prompter.messages[0].caption, "Start Playback");
  EXPECT_FALSE(c.Playing());
  EXPECT_EQ(c.State(), TFxClient::kStateIdle);
  EXPECT_EQ(c.ItemText(kIdPlay), "&Play");
  EXPECT_FALSE(c.Player().WorkerRunning());
  EXPECT_EQ(Device.FifoSize(), 0) << "the FIFO went back";

  sim->setStall(0);
  prompter.messages.clear();
  EXPECT_TRUE(PlaysAgain(c));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(sim->protocolErrors(), 0);
}

// However the card misbehaves, Stop ends playback at once, nothing is
// said, and Play works again once the fault has gone.
TEST_F(FxCardFaultTest, SlowOrStalledCardStillStopsAtOnce) {
  const struct {
    const char* what;
    std::function<void(const SimulatedCard&, int32_t on)> fault;
  } cases[] = {
      {"free-space query of 60 ms",
       [](const SimulatedCard& s, int32_t on) { s.setFreeSizeDelay(on * 60000); }},
      {"wake-ups up to 80 ms late",
       [](const SimulatedCard& s, int32_t on) { s.setJitter(on * 80000); }},
      {"frame clock stopped", [](const SimulatedCard& s, int32_t on) { s.setStall(on); }},
      {"card thread kept off the processor",
       [](const SimulatedCard& s, int32_t on) { s.holdConsumer(on); }},
  };
  TFxClient& c = StartLoaded();
  for (const auto& f : cases) {
    Click(kIdPlay);
    ASSERT_TRUE(c.Playing()) << f.what;
    QTest::qWait(100);
    f.fault(*sim, 1);
    QTest::qWait(400);
    const Clock::time_point stop = Clock::now();
    Click(kIdPlay);
    EXPECT_LT(Clock::now() - stop, milliseconds(200)) << f.what;
    EXPECT_FALSE(c.Playing()) << f.what;
    EXPECT_FALSE(c.Player().WorkerRunning()) << f.what;
    EXPECT_EQ(Device.FifoSize(), 0) << f.what;
    f.fault(*sim, 0);
    EXPECT_TRUE(PlaysAgain(c)) << f.what;
    EXPECT_TRUE(prompter.messages.empty()) << f.what;
  }
  EXPECT_EQ(sim->protocolErrors(), 0);
}

}  // namespace
