#include <gtest/gtest.h>

#include <vector>

#include "support/error_codes.h"
#include "tests/device/device_fixture.h"
#include "wipe/field_split.h"

namespace {

class StreamTest : public DeviceTest {
 protected:
  // An open device with the diagonal pattern.
  void OpenWithPattern(OrvaneDevice& device,
                       std::initializer_list<ScopedCardEnv::Setting> settings = {}) {
    ASSERT_EQ(OpenWith(device, settings), kOk);
    const std::vector<uint8_t> picture = DiagonalPicture(320, 256);
    ASSERT_TRUE(device.SetPattern(picture.data(), 320, 256));
  }
};

TEST_F(StreamTest, SetPatternScalesToTheFrameAndSplitsTheFields) {
  OrvaneDevice device;
  ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", "pal"}}), kOk);
  const std::vector<uint8_t> picture = DiagonalPicture(300, 200);
  ASSERT_TRUE(device.SetPattern(picture.data(), 300, 200));
  std::vector<uint8_t> expected;
  ASSERT_TRUE(ScaleToFieldSplit(expected, 768, 576, picture.data(), 300, 200));
  EXPECT_EQ(device.Pattern(), expected);
  EXPECT_FALSE(device.SetPattern(nullptr, 300, 200));
  EXPECT_TRUE(device.Pattern().empty()) << "a failed SetPattern leaves no pattern";
}

TEST_F(StreamTest, StartPlaybackRefusals) {
  OrvaneDevice device;
  EXPECT_EQ(device.StartPlayback(), kErrDeviceInit) << "before Open";
  ASSERT_EQ(OpenWith(device), kOk);
  EXPECT_EQ(device.StartPlayback(), kErrNoMemory) << "without a pattern";
  device.StopPlayback();
}

TEST_F(StreamTest, PatternFromBeforeOpenAtAnotherSizeCountsAsNone) {
  OrvaneDevice device;
  const std::vector<uint8_t> picture = DiagonalPicture(64, 64);
  ASSERT_TRUE(device.SetPattern(picture.data(), 64, 64));  // at 640 x 480
  ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", "pal"}}), kOk);
  EXPECT_EQ(device.StartPlayback(), kErrNoMemory);
  device.ShowAlpha(128, 48);  // must not read past the small pattern
  EXPECT_FALSE(device.QueueFrame(0, 0, 48));
}

TEST_F(StreamTest, ResourceNineUnavailableGives26AndNeverTriesSeven) {
  OrvaneDevice device;
  OpenWithPattern(device, {{"ORVINTER_SIM_UNAVAILABLE", "9"}});
  SimulatedCard card(device);
  const int32_t claimsOfSeven = card.registerCalls(kResourceAlpha);
  EXPECT_EQ(device.StartPlayback(), kErrResources);
  EXPECT_EQ(card.registerCalls(kResourceAlpha), claimsOfSeven);
  EXPECT_EQ(device.Driver().vdc_is_registered(kResourceAlpha), 0);
  device.StopPlayback();
}

TEST_F(StreamTest, ResourceSevenUnavailableGives26AndStopReleasesNine) {
  OrvaneDevice device;
  OpenWithPattern(device, {{"ORVINTER_SIM_UNAVAILABLE", "7"}});
  EXPECT_EQ(device.StartPlayback(), kErrResources);
  EXPECT_EQ(device.Driver().vdc_is_registered(kResourceFifoDma), 1) << "held until Stop";
  device.StopPlayback();
  EXPECT_EQ(device.Driver().vdc_is_registered(kResourceFifoDma), 0);
}

TEST_F(StreamTest, FifoAllocationFailureGives10) {
  struct {
    const char* label;
    std::initializer_list<ScopedCardEnv::Setting> env;
  } const cases[] = {
      {"allocation fails", {{"ORVINTER_SIM_FIFO_FAIL", "1"}}},
      {"ring smaller than a frame", {{"ORVINTER_SIM_FIFO_MAX", "65536"}}},
  };
  for (const auto& c : cases) {
    OrvaneDevice device;
    OpenWithPattern(device, c.env);
    EXPECT_EQ(device.StartPlayback(), kErrDriverMemory) << c.label;
    EXPECT_FALSE(device.QueueFrame(0, 0, 48)) << c.label;
    device.StopPlayback();
    EXPECT_EQ(device.FifoSize(), 0) << c.label;
    EXPECT_EQ(device.FifoBase(), nullptr) << c.label;
    const OrvinterApi& api = device.Driver();
    EXPECT_EQ(api.vdc_GetFifoSize(), 0) << c.label << ": the ring went back to the card";
    for (int32_t n : {kResourceFifoDma, kResourceFrameInterrupt, kResourceAlpha}) {
      EXPECT_EQ(api.vdc_is_registered(n), 0) << c.label << " resource " << n;
    }
  }
}

// Stop after a start that failed half way, or that did without the frame
// interrupt, gives back what the start got and never a resource it was
// refused: one held elsewhere stays its holder's.
TEST_F(StreamTest, StopGivesBackNothingTheStartWasRefused) {
  const struct {
    const char* label;
    std::initializer_list<ScopedCardEnv::Setting> env;
    int32_t code;
  } cases[] = {
      {"9 held elsewhere", {{"ORVINTER_SIM_UNAVAILABLE", "9"}}, kErrResources},
      {"7 held elsewhere", {{"ORVINTER_SIM_UNAVAILABLE", "7"}}, kErrResources},
      {"8 held elsewhere", {{"ORVINTER_SIM_UNAVAILABLE", "8"}}, kOk},
      {"no FIFO", {{"ORVINTER_SIM_FIFO_FAIL", "1"}}, kErrDriverMemory},
  };
  for (const auto& c : cases) {
    OrvaneDevice device;
    OpenWithPattern(device, c.env);
    SimulatedCard card(device);
    ASSERT_TRUE(card.Found());
    EXPECT_EQ(device.StartPlayback(), c.code) << c.label;
    device.StopPlayback();
    EXPECT_EQ(card.strayReleases(), 0) << c.label;
    for (int32_t n : {kResourceFifoDma, kResourceFrameInterrupt, kResourceAlpha}) {
      EXPECT_EQ(device.Driver().vdc_is_registered(n), 0) << c.label << " resource " << n;
    }
  }
}

TEST_F(StreamTest, StartAndStopPlaybackClaimAndReleaseTheStreamingResources) {
  OrvaneDevice device;
  OpenWithPattern(device, {{"ORVINTER_SIM_FIFO_MAX", "2097152"}});
  const OrvinterApi& api = device.Driver();
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(device.StartPlayback(), kOk) << round;
    EXPECT_EQ(device.FifoSize(), 2097152) << "the size the card gave";
    EXPECT_NE(device.FifoBase(), nullptr);
    EXPECT_EQ(device.FrameCounter(), 0);
    for (int32_t n : {kResourceFifoDma, kResourceFrameInterrupt, kResourceAlpha}) {
      EXPECT_EQ(api.vdc_is_registered(n), 1) << n;
    }
    EXPECT_TRUE(device.QueueFrame(0, 10, 48));
    device.StopPlayback();
    EXPECT_EQ(device.FifoBase(), nullptr);
    EXPECT_EQ(api.vdc_GetFifoSize(), 0);
    for (int32_t n : {kResourceFifoDma, kResourceFrameInterrupt, kResourceAlpha}) {
      EXPECT_EQ(api.vdc_is_registered(n), 0) << n;
    }
    EXPECT_EQ(api.vdc_is_registered(kResourceBoard), 1);
    EXPECT_FALSE(device.Pattern().empty()) << "the pattern survives playback";
  }
}

TEST_F(StreamTest, QueueFrameWrapsTheTopFieldAtTheRingEnd) {
  OrvaneDevice device;
  OpenWithPattern(device);
  ASSERT_EQ(device.StartPlayback(), kOk);
  ASSERT_EQ(device.FifoSize(), 4194304);
  SimulatedCard card(device);
  ASSERT_EQ(card.setFifoOrigin(4100000), 1);
  const int32_t announcementsBefore = card.announcements();

  ASSERT_TRUE(device.QueueFrame(60, 90, 48));
  EXPECT_EQ(card.announcements() - announcementsBefore, 3);
  EXPECT_EQ(card.protocolErrors(), 0);
  EXPECT_EQ(device.FrameCounter(), 1);
  EXPECT_EQ(device.Driver().vdc_GetQueuedFrames(), 1);

  const std::vector<uint8_t> expected = ExpectedFrame(device.Pattern(), 60, 90, 48);
  const uint8_t* ring = device.FifoBase();
  constexpr size_t kField = 153600;
  for (size_t k = 0; k < 94304; ++k)
    ASSERT_EQ(ring[4100000 + k], expected[k]) << k;
  for (size_t k = 94304; k < kField; ++k)
    ASSERT_EQ(ring[k - 94304], expected[k]) << k;
  for (size_t k = 0; k < kField; ++k) {
    ASSERT_EQ(ring[59296 + k], expected[kField + k]) << "bottom field at 59296, byte " << k;
  }

  ASSERT_EQ(card.consume(1), 1);
  std::vector<uint8_t> shown;
  EXPECT_EQ(card.Shown(shown, expected.size()), 0) << "frame 0";
  EXPECT_EQ(shown, expected);

  ASSERT_TRUE(device.QueueFrame(120, 150, 48));
  ASSERT_EQ(card.consume(1), 1);
  EXPECT_EQ(card.Shown(shown, expected.size()), 1) << "then frame 1";
  EXPECT_EQ(shown, ExpectedFrame(device.Pattern(), 120, 150, 48));
  EXPECT_EQ(card.protocolErrors(), 0);
  device.StopPlayback();
}

TEST_F(StreamTest, QueueFrameWithoutRoomChangesNothing) {
  OrvaneDevice device;
  OpenWithPattern(device);
  ASSERT_EQ(device.StartPlayback(), kOk);
  SimulatedCard card(device);
  int32_t queued = 0;
  while (queued < 100 && device.QueueFrame(queued, queued + 10, 48))
    ++queued;
  ASSERT_EQ(queued, 13) << "640 x 480 frames in 4 MiB with the guard kept";

  const std::vector<uint8_t> ringBefore(device.FifoBase(), device.FifoBase() + device.FifoSize());
  const int32_t announcementsBefore = card.announcements();
  EXPECT_FALSE(device.QueueFrame(200, 210, 48));
  EXPECT_EQ(device.FrameCounter(), 13);
  EXPECT_EQ(card.announcements(), announcementsBefore);
  EXPECT_TRUE(std::equal(ringBefore.begin(), ringBefore.end(), device.FifoBase()));

  ASSERT_EQ(card.consume(1), 1);
  EXPECT_TRUE(device.QueueFrame(200, 210, 48)) << "room again once a frame was shown";
  EXPECT_EQ(card.protocolErrors(), 0);
  device.StopPlayback();
}

TEST_F(StreamTest, QueueFrameNeedsStartedPlayback) {
  OrvaneDevice device;
  EXPECT_FALSE(device.QueueFrame(0, 0, 48));
  OpenWithPattern(device);
  SimulatedCard card(device);
  EXPECT_FALSE(device.QueueFrame(0, 0, 48));
  EXPECT_EQ(card.announcements(), 0);
  EXPECT_EQ(device.FrameCounter(), 0);
}

TEST_F(StreamTest, ShowAlphaPutsTheMapOnTheCardOnlyWithAPattern) {
  OrvaneDevice device;
  ASSERT_EQ(OpenWith(device), kOk);
  SimulatedCard card(device);
  std::vector<uint8_t> shown;
  device.ShowAlpha(128, 48);
  card.Shown(shown, 640 * 480);
  EXPECT_EQ(shown, std::vector<uint8_t>(640 * 480, 0)) << "nothing before a pattern";

  const std::vector<uint8_t> picture = DiagonalPicture(320, 256);
  ASSERT_TRUE(device.SetPattern(picture.data(), 320, 256));
  device.ShowAlpha(128, 48);
  const std::vector<uint8_t> expected = ExpectedFrame(device.Pattern(), 128, 128, 48);
  EXPECT_EQ(device.AlphaMap(), expected);
  EXPECT_EQ(card.Shown(shown, 640 * 480), -1);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(card.announcements(), 0) << "a still picture does not use the FIFO";
}

TEST_F(StreamTest, ShowAlphaBeforeOpenDoesNothing) {
  OrvaneDevice device;
  const std::vector<uint8_t> picture = DiagonalPicture(64, 64);
  ASSERT_TRUE(device.SetPattern(picture.data(), 64, 64));
  device.ShowAlpha(128, 48);
  EXPECT_TRUE(device.AlphaMap().empty());
}

TEST_F(StreamTest, CloseDuringPlaybackGivesTheRingBack) {
  OrvaneDevice device;
  OpenWithPattern(device);
  ASSERT_EQ(device.StartPlayback(), kOk);
  ASSERT_TRUE(device.QueueFrame(0, 10, 48));
  device.Driver().vdc_Run();
  device.Close();
  EXPECT_EQ(device.FifoBase(), nullptr);
  EXPECT_EQ(device.FifoSize(), 0);
  EXPECT_TRUE(device.Pattern().empty());
  EXPECT_FALSE(CardLibraryMapped());
}

}  // namespace
