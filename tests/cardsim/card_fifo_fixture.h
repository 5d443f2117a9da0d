#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <thread>

#include "tests/cardsim/card_library.h"

// A card with the streaming resources claimed, a FIFO allocated and a
// format set.
class CardFifoTest : public ::testing::Test {
 protected:
  void Open(CardLibrary& card, int32_t requested, int32_t width, int32_t height) {
    api = &card.api;
    ASSERT_TRUE(ClaimStreaming(card));
    ring = requested;
    base = api->vdc_AllocVideoFifo(&ring);
    ASSERT_NE(base, nullptr);
    ASSERT_EQ(api->vdc_SetFormat(width, height, 0, 0), 1);
    field = width * height / 2;
  }

  // Writes frame n (top bytes n, bottom bytes n + 100) where the card says
  // and announces it as the program does. False when there is no room.
  bool Queue(int32_t n) {
    const int32_t e = api->vdc_CheckFreeSize(2 * field, kFifoGuardKiB);
    if (e < 0)
      return false;
    for (int32_t k = 0; k < 2 * field; ++k) {
      base[(e + k) % ring] = static_cast<uint8_t>(k < field ? n : n + 100);
    }
    EXPECT_EQ(api->vdc_AddData(n, 0, kAddFieldData, field), 1);
    EXPECT_EQ(api->vdc_AddData(n, 1, kAddFieldData, field), 1);
    EXPECT_EQ(api->vdc_AddData(n, 0, kAddEndOfFrame, 0), 1);
    return true;
  }

  template <class Condition>
  static bool WaitFor(Condition condition, std::chrono::milliseconds limit) {
    const auto end = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
      if (std::chrono::steady_clock::now() > end)
        return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

  const CardLibrary::Api* api = nullptr;
  uint8_t* base = nullptr;
  int32_t ring = 0;
  int32_t field = 0;
};
