#include "device/playback_session.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "device/orvinter_binding.h"
#include "support/error_codes.h"

namespace {

// What the card of the running case refuses and lends, and every call it
// was asked, in order.
struct CardScript {
  uint32_t refused = 0;  // bit n: resource n is held elsewhere
  bool fifoRefused = false;
  int32_t fifoBytes = PlaybackSession::kRequestedFifoBytes;
  std::vector<std::string> calls;
};

CardScript* script = nullptr;
uint8_t ring[16];

// The card's table with the calls a session makes going to the script.
OrvinterApi ScriptedCard() {
  OrvinterApi api = OrvinterStubs();
  api.vdc_register = [](int32_t n) -> int32_t {
    script->calls.push_back("register " + std::to_string(n));
    return (script->refused >> n & 1u) != 0 ? 0 : 1;
  };
  api.vdc_unregister = [](int32_t n) -> int32_t {
    script->calls.push_back("unregister " + std::to_string(n));
    return 1;
  };
  api.vdc_AllocVideoFifo = [](int32_t* size) -> uint8_t* {
    script->calls.push_back("alloc " + std::to_string(*size));
    if (script->fifoRefused)
      return nullptr;
    *size = script->fifoBytes;
    return ring;
  };
  api.vdc_Stop = []() -> int32_t {
    script->calls.push_back("stop");
    return 1;
  };
  api.vdc_ReleaseVideoFifo = []() -> int32_t {
    script->calls.push_back("release fifo");
    return 1;
  };
  return api;
}

using Calls = std::vector<std::string>;

class PlaybackSessionTest : public ::testing::Test {
 protected:
  void SetUp() override { script = &card; }
  void TearDown() override { script = nullptr; }
  // The calls made since the last look.
  Calls Take() { return std::exchange(card.calls, {}); }

  CardScript card;
  const OrvinterApi api = ScriptedCard();
};

// A 640 x 480 frame and the 40 KiB the card keeps ahead of its DMA.
constexpr int64_t kRingBytes = 640 * 480 + 40 * 1024;

const Calls kAllClaimed = {"register 9", "register 7", "register 8", "alloc 4194304"};
const Calls kAllGivenBack = {"stop", "release fifo", "unregister 9", "unregister 8",
                             "unregister 7"};

// Whichever step fails, the session gives back exactly what it had, the
// FIFO first and then 9, 8, 7, both when ended and when destroyed.
TEST_F(PlaybackSessionTest, GivesBackExactlyWhatWasClaimedInOrder) {
  const struct {
    const char* what;
    uint32_t refused;
    bool fifoRefused;
    int32_t fifoBytes;
    int32_t code;
    Calls claimed;
    Calls givenBack;
  } cases[] = {
      {"everything had", 0, false, 0x400000, kOk, kAllClaimed, kAllGivenBack},
      {"9 refused", 1u << 9, false, 0x400000, kErrResources, {"register 9"}, {}},
      {"7 refused",
       1u << 7,
       false,
       0x400000,
       kErrResources,
       {"register 9", "register 7"},
       {"unregister 9"}},
      {"8 refused, which playback does without",
       1u << 8,
       false,
       0x400000,
       kOk,
       kAllClaimed,
       {"stop", "release fifo", "unregister 9", "unregister 7"}},
      {"FIFO refused",
       0,
       true,
       0x400000,
       kErrDriverMemory,
       kAllClaimed,
       {"unregister 9", "unregister 8", "unregister 7"}},
      {"FIFO a byte short", 0, false, kRingBytes - 1, kErrDriverMemory, kAllClaimed, kAllGivenBack},
  };
  for (const auto& c : cases) {
    for (const bool byDestruction : {false, true}) {
      card.refused = c.refused;
      card.fifoRefused = c.fifoRefused;
      card.fifoBytes = c.fifoBytes;
      const std::string label = std::string(c.what) + (byDestruction ? ", destroyed" : ", ended");
      {
        PlaybackSession session;
        EXPECT_EQ(session.Claim(api, kRingBytes), c.code) << label;
        EXPECT_EQ(Take(), c.claimed) << label;
        EXPECT_EQ(session.HoldsAnything(), !c.givenBack.empty()) << label;
        if (!byDestruction) {
          session.End();
          EXPECT_EQ(Take(), c.givenBack) << label;
          EXPECT_FALSE(session.HoldsAnything()) << label;
          EXPECT_EQ(session.Fifo().Base(), nullptr) << label;
          EXPECT_EQ(session.Fifo().Size(), 0) << label;
        }
      }
      EXPECT_EQ(Take(), byDestruction ? c.givenBack : Calls{}) << label << ": given back once";
    }
  }
}

TEST_F(PlaybackSessionTest, LentRingIsTheOneUsed) {
  card.fifoBytes = 2097152;
  PlaybackSession session;
  ASSERT_EQ(session.Claim(api, kRingBytes), kOk);
  EXPECT_EQ(session.Fifo().Base(), ring);
  EXPECT_EQ(session.Fifo().Size(), 2097152) << "the size the card gave, not the one asked for";
}

// After vdc_unregister_all the claims are the card's again: the session
// gives back the FIFO it was told to and nothing else.
TEST_F(PlaybackSessionTest, ForgottenClaimsAreNotGivenBack) {
  {
    PlaybackSession session;
    ASSERT_EQ(session.Claim(api, kRingBytes), kOk);
    Take();
    session.ReleaseFifo();
    EXPECT_EQ(Take(), (Calls{"stop", "release fifo"}));
    session.ForgetClaims();
    EXPECT_FALSE(session.HoldsAnything());
  }
  EXPECT_TRUE(Take().empty());
}

TEST_F(PlaybackSessionTest, MovedClaimIsGivenBackOnceByItsNewOwner) {
  {
    CardClaim first(api, 7);
    CardClaim second = std::move(first);
    EXPECT_FALSE(first.Held());
    first.Release();
    EXPECT_EQ(Take(), (Calls{"register 7"})) << "the moved-from claim holds nothing";

    CardClaim other(api, 8);
    other = std::move(second);
    EXPECT_EQ(Take(), (Calls{"register 8", "unregister 8"})) << "the old claim goes back first";
    EXPECT_TRUE(other.Held());
  }
  EXPECT_EQ(Take(), (Calls{"unregister 7"}));

  card.refused = 1u << 4;
  {
    const CardClaim refused(api, 4);
    EXPECT_FALSE(refused.Held());
  }
  EXPECT_EQ(Take(), (Calls{"register 4"})) << "what the card refused is not given back";
}

}  // namespace
