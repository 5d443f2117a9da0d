#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "tests/cardsim/card_library.h"

namespace {

constexpr int32_t kField = 640 * 240;

TEST(CardMisuseTest, QueueingAndRunningNeedTheStreamingResources) {
  struct Case {
    const char* label;
    std::initializer_list<ScopedCardEnv::Setting> env;
    std::initializer_list<int32_t> claims;  // 9 is claimed first, for the FIFO
    bool giveBackNine;
    bool queues, runs;
  };
  const Case cases[] = {
      {"all claimed", {}, {2, 7, 8}, false, true, true},
      {"no board", {}, {7, 8}, false, false, false},
      {"no alpha memory", {}, {2, 8}, false, false, false},
      {"no frame interrupt", {}, {2, 7}, false, false, false},
      {"frame interrupt held elsewhere",
       {{"ORVINTER_SIM_UNAVAILABLE", "8"}},
       {2, 7},
       false,
       true,
       true},
      {"DMA channel given back", {}, {2, 7, 8}, true, true, false},
  };
  for (const Case& c : cases) {
    CardLibrary card(c.env);
    const auto& api = card.api;
    ASSERT_EQ(api.vdc_register(kResourceFifoDma), 1) << c.label;
    int32_t size = 4194304;
    uint8_t* fifo = api.vdc_AllocVideoFifo(&size);
    ASSERT_NE(fifo, nullptr) << c.label;
    for (int32_t n : c.claims) {
      ASSERT_EQ(api.vdc_register(n), 1) << c.label << " " << n;
    }
    if (c.giveBackNine) {
      ASSERT_EQ(api.vdc_unregister(kResourceFifoDma), 1) << c.label;
    }
    ASSERT_EQ(api.vdc_SetFormat(640, 480, 0, 0), 1);

    const int32_t e = api.vdc_CheckFreeSize(2 * kField, kFifoGuardKiB);
    EXPECT_EQ(e, c.queues ? 0 : -4) << c.label;
    const int32_t accepted = api.vdc_AddData(0, 0, kAddFieldData, kField) +
                             api.vdc_AddData(0, 1, kAddFieldData, kField) +
                             api.vdc_AddData(0, 0, kAddEndOfFrame, 0);
    EXPECT_EQ(accepted, c.queues ? 3 : 0) << c.label;
    EXPECT_EQ(api.vdc_GetQueuedFrames(), c.queues ? 1 : 0) << c.label;
    EXPECT_EQ(api.vdc_Run(), c.runs ? 1 : 0) << c.label;
    // Each refused call is one error: the query, three announcements, the run.
    const int32_t errors = (c.queues ? 0 : 4) + (c.runs ? 0 : 1);
    EXPECT_EQ(api.orvsim_protocol_errors(), errors) << c.label;
    EXPECT_EQ(api.vdc_get_error(), errors) << c.label << ": the driver's own error count";
    api.vdc_Stop();
  }
}

TEST(CardMisuseTest, StillAlphaTakesFieldsOfTheCardsFrameOnly) {
  struct Case {
    const char* label;
    int32_t formatWidth, formatHeight;  // 0: no format set, the output scale
    int32_t fieldBytes;
    bool accepted;
  };
  const Case cases[] = {
      {"a field of the output scale", 0, 0, kField, true},
      {"half a field", 0, 0, kField / 2, false},
      {"a whole frame", 0, 0, 2 * kField, false},
      {"one byte more", 0, 0, kField + 1, false},
      {"a field of the format", 320, 240, 320 * 120, true},
      {"a field of the output scale after another format", 320, 240, kField, false},
  };
  for (const Case& c : cases) {
    CardLibrary card;
    const auto& api = card.api;
    if (c.formatWidth > 0) {
      ASSERT_EQ(api.vdc_SetFormat(c.formatWidth, c.formatHeight, 0, 0), 1) << c.label;
    }
    const std::vector<uint8_t> alpha(2 * static_cast<size_t>(kField), 9);
    const uint32_t before = api.orvsim_alpha_checksum();
    EXPECT_EQ(api.vdc_put_alpha(alpha.data(), alpha.data(), c.fieldBytes), c.accepted ? 1 : 0)
        << c.label;
    EXPECT_EQ(api.orvsim_protocol_errors(), c.accepted ? 0 : 1) << c.label;
    EXPECT_EQ(api.orvsim_alpha_checksum() != before, c.accepted) << c.label;
  }
}

TEST(CardMisuseTest, ReleasesOfWhatIsNotHeldAreCountedAndFreeNothing) {
  CardLibrary card({{"ORVINTER_SIM_UNAVAILABLE", "7"}});
  const auto& api = card.api;
  ASSERT_EQ(api.vdc_register(9), 1);
  const struct {
    int32_t resource;
    int32_t result;
  } releases[] = {{9, 1}, {9, 0}, {8, 0}, {7, 0}, {-1, 0}, {32, 0}};
  for (const auto& r : releases)
    EXPECT_EQ(api.vdc_unregister(r.resource), r.result) << r.resource;
  EXPECT_EQ(api.orvsim_stray_releases(), 5);
  EXPECT_EQ(api.orvsim_protocol_errors(), 0) << "harmless, so not an error";
  EXPECT_EQ(api.vdc_register(7), 0) << "the other holder's claim stands";
}

}  // namespace
