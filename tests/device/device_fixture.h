#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "cardsim/simulated_card.h"
#include "device/orvane_device.h"
#include "support/prompter.h"
#include "tests/cardsim/card_library.h"
#include "tests/cardsim/scoped_env.h"
#include "wipe/transition_table.h"

// Every test starts as a fresh process would: question not asked, the
// default library, a recording prompter that answers OK.
class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override { SetOrvinterLibraryName(kOrvinterLibraryName); }
  void TearDown() override { SetOrvinterLibraryName(kOrvinterLibraryName); }

  int32_t OpenWith(OrvaneDevice& device,
                   std::initializer_list<ScopedCardEnv::Setting> settings = {}) {
    ScopedCardEnv env(settings);
    return device.Open(versionQuestionAsked);
  }

  // What the program keeps for the whole run, for this test's Opens.
  bool versionQuestionAsked = false;
  RecordingPrompter prompter;
  ScopedPrompter scopedPrompter{prompter};
};

// A grey picture with every value 0..255 along a diagonal, so that every
// table entry matters.
inline std::vector<uint8_t> DiagonalPicture(int32_t width, int32_t height) {
  std::vector<uint8_t> picture(static_cast<size_t>(width) * static_cast<size_t>(height));
  for (int32_t y = 0; y < height; ++y) {
    for (int32_t x = 0; x < width; ++x) {
      picture[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>((x + 3 * y) % 256);
    }
  }
  return picture;
}

// What the card should show for a frame of the given field-split pattern:
// the top field at p1, the bottom field at p2.
inline std::vector<uint8_t> ExpectedFrame(const std::vector<uint8_t>& pattern, int32_t p1,
                                          int32_t p2, int32_t w) {
  std::vector<uint8_t> frame(pattern.size());
  const size_t half = pattern.size() / 2;
  TransitionTable table;
  BuildTransitionTable(table, p1, w);
  ApplyTransitionTable(frame.data(), pattern.data(), table, half);
  BuildTransitionTable(table, p2, w);
  ApplyTransitionTable(frame.data() + half, pattern.data() + half, table, half);
  return frame;
}
