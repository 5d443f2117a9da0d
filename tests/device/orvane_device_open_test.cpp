#include <gtest/gtest.h>

#include <bit>
#include <vector>

#include "support/error_codes.h"
#include "support/time_code.h"
#include "tests/device/device_fixture.h"

namespace {

constexpr const char* kQuestion = "You have different version of Orvane DLL\nWork anyway?";
constexpr const char* kCaption = "Load Orvane DLL";

using OpenTest = DeviceTest;

TEST_F(OpenTest, ExpectedVersionAsksNothing) {
  OrvaneDevice device;
  EXPECT_EQ(OpenWith(device), kOk);
  EXPECT_TRUE(device.Initialised());
  EXPECT_TRUE(device.LibraryLoaded());
  EXPECT_TRUE(prompter.questions.empty());
  EXPECT_TRUE(versionQuestionAsked) << "a match also settles the question";
}

TEST_F(OpenTest, OtherVersionAnsweredOkIsAskedOncePerProcess) {
  {
    OrvaneDevice device;
    EXPECT_EQ(OpenWith(device, {{"ORVINTER_SIM_VERSION", "1071"}}), kOk);
    ASSERT_EQ(prompter.questions.size(), 1u);
    EXPECT_EQ(prompter.questions[0].text, kQuestion);
    EXPECT_EQ(prompter.questions[0].caption, kCaption);
  }
  OrvaneDevice again;
  EXPECT_EQ(OpenWith(again, {{"ORVINTER_SIM_VERSION", "1071"}}), kOk);
  EXPECT_EQ(prompter.questions.size(), 1u) << "not asked a second time";
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(OpenTest, OtherVersionCancelledGivesQuietCodeAndAsksAgainLater) {
  prompter.answers = {false, true};
  OrvaneDevice device;
  EXPECT_EQ(OpenWith(device, {{"ORVINTER_SIM_VERSION", "2000"}}), kErrCancelled);
  EXPECT_FALSE(IsShownError(kErrCancelled));
  EXPECT_TRUE(prompter.messages.empty()) << "no message for a cancel";
  EXPECT_FALSE(device.Initialised());
  EXPECT_TRUE(device.LibraryLoaded()) << "Close has to unload it";
  EXPECT_FALSE(versionQuestionAsked);
  device.Close();
  EXPECT_FALSE(device.LibraryLoaded());
  EXPECT_FALSE(CardLibraryMapped()) << "Close after a failed Open unloads";

  EXPECT_EQ(OpenWith(device, {{"ORVINTER_SIM_VERSION", "2000"}}), kOk);
  EXPECT_EQ(prompter.questions.size(), 2u) << "asked until once answered OK";
}

TEST_F(OpenTest, FrameRateFollowsTheOutputStandard) {
  struct {
    const char* standard;
    float rate;
    int32_t width, height;
  } const cases[] = {
      {"2", kNtscFrameRate, 640, 480},
      {"0", 25.0f, 768, 576},
      {"1", 25.0f, 768, 576},
      {"3", 25.0f, 768, 576},
  };
  for (const auto& c : cases) {
    OrvaneDevice device;
    ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", c.standard}}), kOk) << c.standard;
    EXPECT_EQ(device.FrameRate(), c.rate) << c.standard;
    EXPECT_EQ(device.FrameWidth(), c.width) << c.standard;
    EXPECT_EQ(device.FrameHeight(), c.height) << c.standard;
  }
  EXPECT_EQ(std::bit_cast<uint32_t>(kNtscFrameRate), 0x41EFC28Fu);
}

TEST_F(OpenTest, EnabledWindowBit4ChoosesTheInputScale) {
  struct {
    const char* window;
    bool input;
  } const cases[] = {
      {"4", true},  {"5", true},  {"6", true},  {"7", true},  {"12", true},
      {"0", false}, {"1", false}, {"2", false}, {"3", false}, {"8", false},
  };
  for (const auto& c : cases) {
    OrvaneDevice device;
    ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", "pal"},
                                {"ORVINTER_SIM_INPUT_SIZE", "720x576"},
                                {"ORVINTER_SIM_ENABLED_WINDOW", c.window}}),
              kOk)
        << c.window;
    EXPECT_EQ(device.FrameWidth(), c.input ? 720 : 768) << c.window;
    EXPECT_EQ(device.FrameHeight(), 576) << c.window;
    EXPECT_EQ(device.AlphaMap().size(), static_cast<size_t>(device.FrameWidth()) * 576);
  }
}

TEST_F(OpenTest, ClearsTheCardsAlphaAndSetsItsMixer) {
  OrvaneDevice device;
  ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_STANDARD", "pal"}}), kOk);
  SimulatedCard card(device);
  ASSERT_TRUE(card.Found());
  const OrvinterApi& api = device.Driver();
  std::vector<uint8_t> shown;
  EXPECT_EQ(card.Shown(shown, 768 * 576), -1);
  EXPECT_EQ(shown, std::vector<uint8_t>(768 * 576, 0)) << "cleared from opaque";
  int32_t w = 0, h = 0;
  EXPECT_EQ(card.format(&w, &h), 1);
  EXPECT_EQ(w, 768);
  EXPECT_EQ(h, 576);
  EXPECT_EQ(api.vdc_mixer_alpha_get(), 0);
  EXPECT_EQ(api.vdc_mixer_blender_get(), 2);
  EXPECT_EQ(api.vdc_is_registered(kResourceBoard), 1) << "held until Close";
  EXPECT_EQ(api.vdc_is_registered(kResourceAlpha), 0) << "claimed only briefly";
  EXPECT_EQ(api.vdc_is_registered(kResourceMixer), 0) << "claimed only briefly";
}

TEST_F(OpenTest, SucceedsWithoutTheAlphaOrTheMixerResource) {
  {
    OrvaneDevice device;
    ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_UNAVAILABLE", "7"}}), kOk);
    SimulatedCard card(device);
    std::vector<uint8_t> shown;
    EXPECT_EQ(card.Shown(shown, 640 * 480), -1);
    EXPECT_EQ(shown, std::vector<uint8_t>(640 * 480, 255)) << "alpha not cleared";
    EXPECT_EQ(card.format(nullptr, nullptr), 0) << "format not set";
    EXPECT_EQ(device.Driver().vdc_mixer_blender_get(), 2) << "the mixer is still set";
  }
  {
    OrvaneDevice device;
    ASSERT_EQ(OpenWith(device, {{"ORVINTER_SIM_UNAVAILABLE", "4"}}), kOk);
    SimulatedCard card(device);
    std::vector<uint8_t> shown;
    card.Shown(shown, 640 * 480);
    EXPECT_EQ(shown, std::vector<uint8_t>(640 * 480, 0)) << "alpha cleared";
    EXPECT_EQ(device.Driver().vdc_mixer_alpha_get(), 255) << "mixer untouched";
    EXPECT_EQ(device.Driver().vdc_mixer_blender_get(), 0) << "mixer untouched";
  }
}

TEST_F(OpenTest, FailuresAndTheirCodes) {
  struct {
    const char* label;
    const char* file;
    std::initializer_list<ScopedCardEnv::Setting> env;
    int32_t code;
    bool loaded;
  } const cases[] = {
      {"no library", "liborvinter_not_there.so", {}, kErrNoDevice, false},
      {"one name missing", "liborvinter_without_flush.so", {}, kErrNoDevice, false},
      {"status 0", "liborvinter.so", {{"ORVINTER_SIM_STATUS", "0"}}, kErrNoDevice, false},
      {"board held elsewhere",
       "liborvinter.so",
       {{"ORVINTER_SIM_UNAVAILABLE", "2"}},
       kErrResources,
       true},
      {"odd line count",
       "liborvinter.so",
       {{"ORVINTER_SIM_FRAME_SIZE", "640x481"}},
       kErrVideoParameters,
       true},
      {"frame too wide",
       "liborvinter.so",
       {{"ORVINTER_SIM_FRAME_SIZE", "8000x480"}},
       kErrVideoParameters,
       true},
  };
  for (const auto& c : cases) {
    SetOrvinterLibraryName(c.file);
    OrvaneDevice device;
    EXPECT_EQ(OpenWith(device, c.env), c.code) << c.label;
    EXPECT_FALSE(device.Initialised()) << c.label;
    EXPECT_EQ(device.LibraryLoaded(), c.loaded) << c.label;
    EXPECT_EQ(device.FrameWidth(), 640) << c.label << ": the frame size stays the default";
    device.Close();
    EXPECT_FALSE(CardLibraryMapped(c.file)) << c.label;
  }
}

TEST_F(OpenTest, CloseIsSafeOnAClosedDeviceAndTwice) {
  OrvaneDevice device;
  device.Close();
  EXPECT_FALSE(device.LibraryLoaded());
  ASSERT_EQ(OpenWith(device), kOk);
  device.Close();
  EXPECT_FALSE(device.Initialised());
  EXPECT_FALSE(device.LibraryLoaded());
  EXPECT_TRUE(device.AlphaMap().empty());
  EXPECT_EQ(device.Driver().vdc_get_version, OrvinterStubs().vdc_get_version)
      << "no entry left pointing into the unloaded library";
  device.Close();
  EXPECT_FALSE(CardLibraryMapped());
}

TEST_F(OpenTest, CloseReleasesTheBoardForTheNextOpen) {
  OrvaneDevice first;
  ASSERT_EQ(OpenWith(first), kOk);
  EXPECT_EQ(first.Open(versionQuestionAsked), kOk) << "a second Open keeps the device as it is";
  first.Close();
  OrvaneDevice second;
  EXPECT_EQ(OpenWith(second), kOk);
}

TEST_F(OpenTest, DestructionCloses) {
  {
    OrvaneDevice device;
    ASSERT_EQ(OpenWith(device), kOk);
  }
  EXPECT_FALSE(CardLibraryMapped());
}

}  // namespace
