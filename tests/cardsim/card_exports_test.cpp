#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/cardsim/card_library.h"

namespace {

TEST(CardExportsTest, ExportsEveryNameOfTheSharedList) {
  CardLibrary card;
  ASSERT_TRUE(card.Loaded()) << dlerror();
  for (const char* name : kOrvinterExportNames) {
    EXPECT_NE(dlsym(card.Handle(), name), nullptr) << name;
  }
}

TEST(CardExportsTest, TestBuildLacksExactlyOneName) {
  CardLibrary card({}, "liborvinter_without_flush.so");
  ASSERT_TRUE(card.Loaded()) << dlerror();
  std::vector<std::string> missing;
  for (const char* name : kOrvinterExportNames) {
    if (dlsym(card.Handle(), name) == nullptr)
      missing.emplace_back(name);
  }
  EXPECT_EQ(missing, std::vector<std::string>{"vdc_Flush"});
}

TEST(CardExportsTest, UnloadingUnmapsTheLibraryEvenAfterItsConsumerRan) {
  {
    CardLibrary card;
    ASSERT_TRUE(card.Loaded());
    ASSERT_TRUE(CardLibraryMapped());
    // Start and end the consumer thread, which must not pin the library.
    ASSERT_TRUE(ClaimStreaming(card));
    int32_t size = 1 << 20;
    ASSERT_NE(card.api.vdc_AllocVideoFifo(&size), nullptr);
    ASSERT_EQ(card.api.vdc_Run(), 1);
    card.api.vdc_Stop();
    card.api.vdc_ReleaseVideoFifo();
  }
  EXPECT_FALSE(CardLibraryMapped()) << "the card would keep its old settings on the next load";
}

TEST(CardExportsTest, UnloadingWhileTheConsumerRunsStopsIt) {
  {
    CardLibrary card;
    ASSERT_TRUE(ClaimStreaming(card));
    int32_t size = 1 << 20;
    ASSERT_NE(card.api.vdc_AllocVideoFifo(&size), nullptr);
    ASSERT_EQ(card.api.vdc_Run(), 1);
  }
  EXPECT_FALSE(CardLibraryMapped());
}

TEST(CardExportsTest, EveryLoadReadsTheEnvironmentAfresh) {
  {
    CardLibrary card({{"ORVINTER_SIM_VERSION", "1000"}});
    EXPECT_EQ(card.api.vdc_get_version(), 1000);
    EXPECT_EQ(card.api.vdc_register(kResourceBoard), 1);
  }
  {
    CardLibrary card({{"ORVINTER_SIM_VERSION", "1001"}});
    EXPECT_EQ(card.api.vdc_get_version(), 1001);
    EXPECT_EQ(card.api.vdc_register(kResourceBoard), 1) << "a fresh card holds no resources";
  }
}

struct SettingsCase {
  const char* label;
  std::initializer_list<ScopedCardEnv::Setting> env;
  int32_t status, version, standard, enabledWindow;
  int32_t outWidth, outHeight, inWidth, inHeight;
};

TEST(CardSettingsTest, ComeFromTheEnvironment) {
  const SettingsCase cases[] = {
      {"defaults", {}, 1, 1072, 2, 1, 640, 480, 640, 480},
      {"pal by name", {{"ORVINTER_SIM_STANDARD", "pal"}}, 1, 1072, 1, 1, 768, 576, 768, 576},
      {"ntsc by name", {{"ORVINTER_SIM_STANDARD", "ntsc"}}, 1, 1072, 2, 1, 640, 480, 640, 480},
      {"standard 0", {{"ORVINTER_SIM_STANDARD", "0"}}, 1, 1072, 0, 1, 768, 576, 768, 576},
      {"standard 3", {{"ORVINTER_SIM_STANDARD", "3"}}, 1, 1072, 3, 1, 768, 576, 768, 576},
      {"frame size", {{"ORVINTER_SIM_FRAME_SIZE", "320x240"}}, 1, 1072, 2, 1, 320, 240, 320, 240},
      {"input size alone",
       {{"ORVINTER_SIM_STANDARD", "pal"}, {"ORVINTER_SIM_INPUT_SIZE", "720x576"}},
       1,
       1072,
       1,
       1,
       768,
       576,
       720,
       576},
      {"enabled window",
       {{"ORVINTER_SIM_ENABLED_WINDOW", "12"}},
       1,
       1072,
       2,
       12,
       640,
       480,
       640,
       480},
      {"version", {{"ORVINTER_SIM_VERSION", "1071"}}, 1, 1071, 2, 1, 640, 480, 640, 480},
      {"status 0", {{"ORVINTER_SIM_STATUS", "0"}}, 0, 1072, 2, 1, 640, 480, 640, 480},
      {"unreadable values keep the defaults",
       {{"ORVINTER_SIM_VERSION", "10x"},
        {"ORVINTER_SIM_STANDARD", "secam"},
        {"ORVINTER_SIM_FRAME_SIZE", "640x"},
        {"ORVINTER_SIM_INPUT_SIZE", "0x480"},
        {"ORVINTER_SIM_STATUS", ""}},
       1,
       1072,
       2,
       1,
       640,
       480,
       640,
       480},
  };
  for (const SettingsCase& c : cases) {
    CardLibrary card(c.env);
    ASSERT_TRUE(card.Loaded()) << c.label;
    EXPECT_EQ(card.api.orvdll_status(), c.status) << c.label;
    EXPECT_EQ(card.api.vdc_get_version(), c.version) << c.label;
    EXPECT_EQ(card.api.vdc_output_get_standart(), c.standard) << c.label;
    EXPECT_EQ(card.api.vdc_input_get_enabled_window(), c.enabledWindow) << c.label;
    int32_t x = -1, y = -1, w = 0, h = 0;
    card.api.vdc_output_get_scale(&x, &y, &w, &h);
    EXPECT_EQ(x, 0) << c.label;
    EXPECT_EQ(y, 0) << c.label;
    EXPECT_EQ(w, c.outWidth) << c.label;
    EXPECT_EQ(h, c.outHeight) << c.label;
    card.api.vdc_input_get_scale(&x, &y, &w, &h);
    EXPECT_EQ(w, c.inWidth) << c.label;
    EXPECT_EQ(h, c.inHeight) << c.label;
  }
}

TEST(CardSettingsTest, OuterEnvironmentDoesNotLeakIntoTheCard) {
  setenv("ORVINTER_SIM_VERSION", "999", 1);
  {
    CardLibrary card;
    EXPECT_EQ(card.api.vdc_get_version(), 1072);
  }
  EXPECT_STREQ(getenv("ORVINTER_SIM_VERSION"), "999") << "the outer value comes back";
  unsetenv("ORVINTER_SIM_VERSION");
}

}  // namespace
