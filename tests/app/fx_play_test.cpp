#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include <QAction>
#include <QMenu>

#include "controls/time_code_edit.h"
#include "support/error_codes.h"
#include "tests/app/fx_fixture.h"
#include "tests/device/device_fixture.h"
#include "tests/device/play_tables.h"
#include "wipe/ui/image_control.h"
#include "wipe/wipe_turns.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class FxPlayTest : public FxTest {
 protected:
  // The dialog with a pattern loaded, on a card of the given standard.
  TFxClient& StartLoaded(const char* standard = "ntsc") {
    TFxClient& c = FxTest::StartLoaded(standard);
    sim = std::make_unique<SimulatedCard>(Device);
    EXPECT_TRUE(sim->Found());
    return c;
  }
  const PlayTable& Table() const { return FrameRate == kPalFrameRate ? kPalTable : kNtscTable; }

  // The frame the card shows now and its number; -1 for the still alpha.
  int32_t Shown(std::vector<uint8_t>& picture) const {
    return sim->Shown(picture, Device.Pattern().size());
  }
  bool ShowsTableFrame(const std::vector<uint8_t>& picture, int32_t frame, int32_t w) const {
    const FieldPositions at = TableFrame(Table(), frame);
    return picture == ExpectedFrame(Device.Pattern(), at.p1, at.p2, w);
  }
  // Runs the program's loop until the card shows a frame numbered at least
  // `from`; its number, or -1 after two seconds.
  int32_t WaitForFrame(std::vector<uint8_t>& picture, int32_t from) {
    const Clock::time_point end = Clock::now() + milliseconds(2000);
    while (Clock::now() < end) {
      const int32_t frame = Shown(picture);
      if (frame >= from)
        return frame;
      QTest::qWait(5);
    }
    return -1;
  }

  std::unique_ptr<SimulatedCard> sim;
};

class FxPlayStandardTest : public FxPlayTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(FxPlayStandardTest, PlaysForThreeSecondsAndStops) {
  TFxClient& c = StartLoaded(GetParam());
  // The pictures of one whole sweep, made beforehand, so that checking a
  // frame costs no more than comparing it.
  std::vector<std::vector<uint8_t>> sweep;
  for (int32_t n = 0; n < 2 * Table().halfFrames; ++n) {
    const FieldPositions at = TableFrame(Table(), n);
    sweep.push_back(ExpectedFrame(Device.Pattern(), at.p1, at.p2, 48));
  }
  const Clock::time_point started = Clock::now();
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing()) << (prompter.messages.empty() ? "" : prompter.messages[0].text);
  EXPECT_EQ(c.State(), TFxClient::kStatePlaying);
  EXPECT_EQ(c.ItemText(kIdPlay), "&Stop");
  EXPECT_EQ(Switched(), (std::vector<bool>{false, false, false, false, true}));
  EXPECT_TRUE(c.Item(kIdAlpha)->isEnabled());
  EXPECT_TRUE(c.Item(kIdWidth)->isEnabled());
  EXPECT_EQ(c.Player().HalfFrames(), Table().halfFrames);
  EXPECT_EQ(c.Player().PositionSpan(), 304);
  EXPECT_GT(c.Player().Prefilled(), 5);

  // Every frame the card shows is the tables' frame of its number.
  std::vector<uint8_t> picture;
  int32_t underrunsAtFirstFrame = -1;
  int checked = 0;
  const Clock::time_point end = Clock::now() + milliseconds(3000);
  while (Clock::now() < end) {
    QTest::qWait(37);
    const int32_t frame = Shown(picture);
    if (frame < 0)
      continue;
    if (underrunsAtFirstFrame < 0)
      underrunsAtFirstFrame = sim->underruns();
    ASSERT_TRUE(picture == sweep[static_cast<size_t>(frame) % sweep.size()]) << "frame " << frame;
    ++checked;
  }
  const int32_t underruns = sim->underruns();
  const int32_t errors = sim->protocolErrors();
  const int32_t framesShown = sim->framesShown();
  const double seconds = std::chrono::duration<double>(Clock::now() - started).count();

  const Clock::time_point stop = Clock::now();
  Click(kIdPlay);
  EXPECT_LT(Clock::now() - stop, milliseconds(200)) << "Stop is handled at once";
  EXPECT_FALSE(c.Playing());
  EXPECT_EQ(c.State(), TFxClient::kStateIdle);
  EXPECT_EQ(c.ItemText(kIdPlay), "&Play");
  EXPECT_EQ(Switched(), (std::vector<bool>{true, true, true, true, true}));
  EXPECT_FALSE(c.Player().WorkerRunning());
  EXPECT_EQ(Device.FifoSize(), 0) << "the FIFO goes back at Stop";
  EXPECT_EQ(StopFlag.load(), 1);

  ASSERT_GE(underrunsAtFirstFrame, 0) << "the card showed frames";
  EXPECT_EQ(underruns, underrunsAtFirstFrame) << "no underrun after the first frame";
  EXPECT_EQ(errors, 0);
  std::printf(
      "%s: %d frames shown in %.2f s, %d pre-filled, %d underruns after the first frame, "
      "%d protocol errors, %d frames checked\n",
      GetParam(), framesShown, seconds, c.Player().Prefilled(), underruns - underrunsAtFirstFrame,
      errors, checked);
  // Real time: one frame per period since the card started, never more.
  EXPECT_GE(framesShown, static_cast<int32_t>(3 * FrameRate * 0.8f));
  EXPECT_LE(framesShown, static_cast<int32_t>(seconds * FrameRate) + 2) << seconds << " s";
  EXPECT_GE(checked, 30);
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Standards, FxPlayStandardTest, ::testing::Values("ntsc", "pal"));

TEST_F(FxPlayTest, ShortestDurationPlaysNothingAndStillStopsAtOnce) {
  TFxClient& c = StartLoaded();
  c.DurationEdit()->SetTime(3, false);
  ASSERT_EQ(c.DurationMs(), 3);
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  EXPECT_EQ(c.Player().HalfFrames(), 0);
  QTest::qWait(200);
  EXPECT_EQ(c.Player().FramesQueued(), 0);
  EXPECT_EQ(sim->framesShown(), 0);
  EXPECT_EQ(sim->protocolErrors(), 0);
  const Clock::time_point stop = Clock::now();
  Click(kIdPlay);
  EXPECT_LT(Clock::now() - stop, milliseconds(100));
  EXPECT_FALSE(c.Player().WorkerRunning());
  EXPECT_EQ(c.State(), TFxClient::kStateIdle);
}

TEST_F(FxPlayTest, PlayAfterAStopInAPassStartsAtTheInPassFirstFrame) {
  TFxClient& c = StartLoaded();
  Click(kIdPlay);
  std::vector<uint8_t> picture;
  ASSERT_GE(WaitForFrame(picture, Table().halfFrames / 2), 0);
  Click(kIdPlay);
  ASSERT_FALSE(c.Playing());
  const int32_t stoppedAt = c.Player().FrameIndex();

  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  // Numbered from 0 again, and frame n of the new run is the tables'
  // frame n: the sweep starts over rather than going on from stoppedAt.
  const int32_t frame = WaitForFrame(picture, 0);
  ASSERT_GE(frame, 0);
  EXPECT_LT(frame, c.Player().Prefilled());
  EXPECT_TRUE(ShowsTableFrame(picture, frame, 48))
      << "frame " << frame << " after a stop at pass frame " << stoppedAt;
  Click(kIdPlay);
  EXPECT_EQ(sim->protocolErrors(), 0);
}

TEST_F(FxPlayTest, PreviewMenuMarksInvertThePatternAndReverseThePlay) {
  TFxClient& c = StartLoaded();
  QMenu menu;
  c.AddPreviewMenuActions(menu);
  ASSERT_EQ(menu.actions().size(), 4);
  EXPECT_EQ(menu.actions()[0]->text(), QStringLiteral("Invert pattern"));
  EXPECT_EQ(menu.actions()[1]->text(), QStringLiteral("Reverse direction"));
  EXPECT_TRUE(menu.actions()[2]->isSeparator());
  EXPECT_EQ(menu.actions()[3], c.RenderAction());
  for (QAction* mark : {c.InvertAction(), c.ReverseAction()}) {
    EXPECT_TRUE(mark->isCheckable());
    EXPECT_FALSE(mark->isChecked());
  }
  const QImage plain = c.Preview()->Image();

  // Inverted: preview and card as for the inverted picture itself.
  c.InvertAction()->trigger();
  const QImage invertedPreview = c.Preview()->Image();
  const std::vector<uint8_t> invertedCard = Device.Pattern();
  const uint32_t invertedStill = CardChecksum();
  EXPECT_FALSE(invertedPreview == plain);
  c.InvertAction()->trigger();
  EXPECT_TRUE(c.Preview()->Image() == plain);
  GreyImage inverted = written;
  InvertPattern(inverted.pixels);
  ASSERT_EQ(WriteTargaGrey(Path("inverted.tga"), inverted, 24), 0);
  ChooseImage(Path("inverted.tga"));
  EXPECT_TRUE(c.Preview()->Image() == invertedPreview);
  EXPECT_EQ(Device.Pattern(), invertedCard);
  EXPECT_EQ(CardChecksum(), invertedStill);
  EXPECT_EQ(c.Pattern().pixels, inverted.pixels) << "the loaded pattern stays as read";

  // Reversed: the card shows frame n at 304 - p.
  c.ReverseAction()->trigger();
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  EXPECT_EQ(c.Player().Direction(), WipeDirection::kReverse);
  std::vector<uint8_t> picture;
  const int32_t frame = WaitForFrame(picture, 0);
  ASSERT_GE(frame, 0);
  const FieldPositions at = TableFrame(Table(), frame);
  EXPECT_TRUE(picture == ExpectedFrame(Device.Pattern(), 304 - at.p1, 304 - at.p2, 48))
      << "frame " << frame;
  Click(kIdPlay);
  EXPECT_EQ(sim->protocolErrors(), 0);
}

TEST_F(FxPlayTest, WidthChangedWhilePlayingReachesTheNextFrame) {
  TFxClient& c = StartLoaded();
  Click(kIdPlay);
  std::vector<uint8_t> picture;
  const int32_t before = WaitForFrame(picture, 0);
  ASSERT_GE(before, 0);
  EXPECT_TRUE(ShowsTableFrame(picture, before, 48));

  Type(c.WidthEdit(), "100");
  ASSERT_EQ(c.Width(), 100);
  const int32_t queuedAtChange = static_cast<int32_t>(c.Player().FramesQueued());
  const int32_t after = WaitForFrame(picture, queuedAtChange + 1);
  ASSERT_GE(after, 0);
  EXPECT_TRUE(ShowsTableFrame(picture, after, 100))
      << "frame " << after << ": the new width, over the span of the old one";
  EXPECT_EQ(c.Player().PositionSpan(), 304);
  Click(kIdPlay);
  EXPECT_EQ(sim->protocolErrors(), 0);
}

TEST_F(FxPlayTest, PlayThatCannotStartReportsAndCanBeTriedAgain) {
  const struct {
    const char* what;
    std::initializer_list<ScopedCardEnv::Setting> settings;
    bool refuseWorker;
    const char* text;
  } cases[] = {
      {"worker", {}, true, "Fatal (data or code destroyed)"},
      {"fifo", {{"ORVINTER_SIM_FIFO_FAIL", "1"}}, false, "Not enough memory in video driver"},
      // Less than one 640 x 480 frame.
      {"small fifo",
       {{"ORVINTER_SIM_FIFO_MAX", "65536"}},
       false,
       "Not enough memory in video driver"},
      // One 640 x 480 frame, and one page short of it and the 40 KiB the
      // card keeps free ahead of its DMA: the card would never give room.
      {"fifo of one frame",
       {{"ORVINTER_SIM_FIFO_MAX", "307200"}},
       false,
       "Not enough memory in video driver"},
      {"fifo a page short of frame and guard",
       {{"ORVINTER_SIM_FIFO_MAX", "344064"}},
       false,
       "Not enough memory in video driver"},
      {"fifo dma", {{"ORVINTER_SIM_UNAVAILABLE", "9"}}, false, "Can not attach hardware resources"},
      // Held from the start: the card opens without its alpha set up.
      {"alpha memory",
       {{"ORVINTER_SIM_UNAVAILABLE", "7"}},
       false,
       "Can not attach hardware resources"},
  };
  for (const auto& f : cases) {
    TFxClient& c = Start(f.settings);
    ChooseImage(WritePattern("diagonal.tga"));
    ASSERT_EQ(c.State(), TFxClient::kStateIdle) << f.what;
    sim = std::make_unique<SimulatedCard>(Device);
    ASSERT_TRUE(sim->Found());
    // While the fault lasts, every try says so and leaves nothing claimed.
    for (int attempt = 0; attempt < 2; ++attempt) {
      prompter.messages.clear();
      {
        ScopedWorkerLauncher launcher(
            f.refuseWorker
                ? WorkerLauncher([](std::thread&, std::function<void()>) { return false; })
                : WorkerLauncher());
        Click(kIdPlay);
      }
      ASSERT_EQ(prompter.messages.size(), 1u) << f.what << ", try " << attempt;
      EXPECT_EQ(prompter.messages[0].text, f.text);
      EXPECT_EQ(prompter.messages[0].caption, "Start Playback");
      EXPECT_FALSE(c.Playing()) << f.what;
      EXPECT_EQ(c.State(), TFxClient::kStateIdle);
      EXPECT_EQ(c.ItemText(kIdPlay), "&Play");
      EXPECT_EQ(Device.FifoSize(), 0) << f.what << ": released after the failure";
      EXPECT_EQ(StopFlag.load(), 1);
    }
    // Once it has gone, Play works in the same run of the program.
    sim->setFaults(0, 0, 16 * 1024 * 1024);
    prompter.messages.clear();
    Click(kIdPlay);
    ASSERT_TRUE(c.Playing()) << f.what;
    std::vector<uint8_t> picture;
    const int32_t shown = WaitForFrame(picture, 0);
    EXPECT_GE(shown, 0) << f.what << ": the card shows the wipe";
    if (shown >= 0) {
      EXPECT_TRUE(ShowsTableFrame(picture, shown, 48)) << f.what << ", frame " << shown;
    }
    Click(kIdPlay);
    EXPECT_FALSE(c.Playing());
    EXPECT_TRUE(prompter.messages.empty()) << f.what;
    EXPECT_EQ(sim->protocolErrors(), 0);
    sim.reset();
    frame.reset();
  }
}

TEST_F(FxPlayTest, FifoOfOneFrameAndItsGuardPlays) {
  const struct {
    const char* standard;
    const char* fifoBytes;  // width x height + 40 KiB, a whole number of pages
  } cases[] = {{"ntsc", "348160"}, {"pal", "483328"}};
  for (const auto& f : cases) {
    TFxClient& c =
        Start({{"ORVINTER_SIM_STANDARD", f.standard}, {"ORVINTER_SIM_FIFO_MAX", f.fifoBytes}});
    ChooseImage(WritePattern("diagonal.tga"));
    sim = std::make_unique<SimulatedCard>(Device);
    ASSERT_TRUE(sim->Found());
    Click(kIdPlay);
    ASSERT_TRUE(c.Playing()) << f.standard;
    EXPECT_EQ(Device.FifoSize(), std::atoi(f.fifoBytes));
    EXPECT_EQ(c.Player().Prefilled(), 1) << "the ring holds one frame";
    std::vector<uint8_t> picture;
    const int32_t shown = WaitForFrame(picture, 3);
    ASSERT_GE(shown, 3) << f.standard << ": the worker keeps the card fed";
    EXPECT_TRUE(ShowsTableFrame(picture, shown, 48)) << f.standard << ", frame " << shown;
    Click(kIdPlay);
    EXPECT_FALSE(c.Playing());
    EXPECT_TRUE(prompter.messages.empty());
    EXPECT_EQ(sim->protocolErrors(), 0);
    sim.reset();
    frame.reset();
  }
}

TEST_F(FxPlayTest, MixerAndFrameInterruptHeldElsewhereDoNotStopPlay) {
  // The mixer is only set up when it can be had, and the frame interrupt's
  // claim is not needed to play.
  TFxClient& c = Start({{"ORVINTER_SIM_UNAVAILABLE", "4,8"}});
  ChooseImage(WritePattern("diagonal.tga"));
  sim = std::make_unique<SimulatedCard>(Device);
  ASSERT_TRUE(sim->Found());
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  std::vector<uint8_t> picture;
  const int32_t shown = WaitForFrame(picture, 2);
  ASSERT_GE(shown, 2);
  EXPECT_TRUE(ShowsTableFrame(picture, shown, 48));
  Click(kIdPlay);
  EXPECT_FALSE(c.Playing());
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(sim->protocolErrors(), 0);
}

TEST_F(FxPlayTest, CardThatTakesNoFrameStillStopsAtOnce) {
  TFxClient& c = Start({{"ORVINTER_SIM_STALL", "1"}});
  ChooseImage(WritePattern("diagonal.tga"));
  sim = std::make_unique<SimulatedCard>(Device);
  ASSERT_TRUE(sim->Found());
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  QTest::qWait(300);
  EXPECT_EQ(sim->framesShown(), 0);
  EXPECT_EQ(sim->underruns(), 0) << "a full FIFO is no underrun";
  // The worker waits for room that never comes, and queues nothing more.
  const int64_t queued = c.Player().FramesQueued();
  QTest::qWait(150);
  EXPECT_EQ(c.Player().FramesQueued(), queued);
  const Clock::time_point stop = Clock::now();
  Click(kIdPlay);
  EXPECT_LT(Clock::now() - stop, milliseconds(200)) << "Stop is handled at once";
  EXPECT_FALSE(c.Playing());
  EXPECT_FALSE(c.Player().WorkerRunning());
  EXPECT_EQ(Device.FifoSize(), 0);
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(sim->protocolErrors(), 0);
}

}  // namespace
