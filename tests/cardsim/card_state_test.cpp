#include <gtest/gtest.h>

#include <vector>

#include "tests/cardsim/card_library.h"

namespace {

TEST(CardResourcesTest, ANumberHeldIsNotAvailableToASecondClaim) {
  CardLibrary card;
  const auto& api = card.api;
  EXPECT_EQ(api.vdc_register(7), 1);
  EXPECT_EQ(api.vdc_register(7), 0);
  EXPECT_EQ(api.vdc_is_registered(7), 1);
  EXPECT_EQ(api.vdc_unregister(7), 1);
  EXPECT_EQ(api.vdc_unregister(7), 0) << "nothing left to release";
  EXPECT_EQ(api.vdc_register(7), 1) << "free again after release";
  EXPECT_EQ(api.orvsim_register_calls(7), 3);
}

TEST(CardResourcesTest, ReleaseAllFreesEveryNumber) {
  CardLibrary card;
  const auto& api = card.api;
  for (int32_t n : {2, 4, 7, 8, 9})
    ASSERT_EQ(api.vdc_register(n), 1) << n;
  api.vdc_unregister_all();
  for (int32_t n : {2, 4, 7, 8, 9})
    EXPECT_EQ(api.vdc_is_registered(n), 0) << n;
  for (int32_t n : {2, 4, 7, 8, 9})
    EXPECT_EQ(api.vdc_register(n), 1) << n;
}

TEST(CardResourcesTest, NumbersHeldElsewhereAndOutOfRangeAreRefused) {
  CardLibrary card({{"ORVINTER_SIM_UNAVAILABLE", "7,4 9"}});
  const auto& api = card.api;
  for (int32_t n : {4, 7, 9, -1, 32, 1000})
    EXPECT_EQ(api.vdc_register(n), 0) << n;
  for (int32_t n : {2, 8, 0, 31})
    EXPECT_EQ(api.vdc_register(n), 1) << n;
  api.vdc_unregister_all();
  EXPECT_EQ(api.vdc_register(7), 0) << "held elsewhere stays held elsewhere";
}

TEST(CardFormatTest, AcceptsInterlacedAlphaFramesOnly) {
  CardLibrary card;
  const auto& api = card.api;
  struct {
    int32_t w, h, pixel, flags, accepted;
  } const cases[] = {
      {640, 480, 0, 0, 1}, {768, 576, 0, 0, 1}, {2, 2, 0, 0, 1},      {8192, 8192, 0, 0, 1},
      {640, 481, 0, 0, 0}, {0, 480, 0, 0, 0},   {640, 0, 0, 0, 0},    {8193, 480, 0, 0, 0},
      {640, 480, 1, 0, 0}, {640, 480, 0, 1, 0}, {-640, 480, 0, 0, 0},
  };
  int32_t w = -1, h = -1;
  EXPECT_EQ(api.orvsim_format(&w, &h), 0) << "never set";
  for (const auto& c : cases) {
    EXPECT_EQ(api.vdc_SetFormat(c.w, c.h, c.pixel, c.flags), c.accepted) << c.w << "x" << c.h;
  }
  EXPECT_EQ(api.orvsim_format(&w, &h), 1);
  EXPECT_EQ(w, 8192) << "the last format accepted";
  EXPECT_EQ(h, 8192);
}

TEST(CardAlphaTest, PowersUpOpaqueAtTheOutputSize) {
  CardLibrary card({{"ORVINTER_SIM_STANDARD", "pal"}});
  std::vector<uint8_t> shown(768 * 576, 0);
  EXPECT_EQ(card.api.orvsim_copy_alpha(shown.data(), 768 * 576), -1) << "the still alpha";
  EXPECT_EQ(shown, std::vector<uint8_t>(768 * 576, 255));
  EXPECT_EQ(card.api.orvsim_copy_alpha(shown.data(), 640 * 480), -2) << "wrong size, no copy";
}

TEST(CardAlphaTest, PutAlphaCopiesBothFieldsAtOnce) {
  CardLibrary card;
  const auto& api = card.api;
  constexpr int32_t kField = 640 * 240;
  std::vector<uint8_t> top(kField), bottom(kField);
  for (int32_t k = 0; k < kField; ++k) {
    top[k] = static_cast<uint8_t>(k * 7);
    bottom[k] = static_cast<uint8_t>(k * 13 + 1);
  }
  ASSERT_EQ(api.vdc_put_alpha(top.data(), bottom.data(), kField), 1);
  // The card keeps its own copy: later changes to the caller's buffers do
  // not reach it.
  std::vector<uint8_t> expected(top);
  expected.insert(expected.end(), bottom.begin(), bottom.end());
  top.assign(kField, 0);

  std::vector<uint8_t> shown(2 * kField);
  EXPECT_EQ(api.orvsim_copy_alpha(shown.data(), 2 * kField), -1);
  EXPECT_EQ(shown, expected);
  EXPECT_EQ(api.orvsim_alpha_checksum(), Fnv1a(expected.data(), expected.size()));

  std::vector<uint8_t> readTop(kField), readBottom(kField);
  ASSERT_EQ(api.vdc_get_alpha(readTop.data(), readBottom.data(), kField), 1);
  EXPECT_TRUE(std::equal(readTop.begin(), readTop.end(), expected.begin()));
  EXPECT_TRUE(std::equal(readBottom.begin(), readBottom.end(), expected.begin() + kField));
}

TEST(CardAlphaTest, PutAlphaRefusesWhatItCannotHold) {
  CardLibrary card;
  const auto& api = card.api;
  std::vector<uint8_t> field(16, 1);
  const uint32_t before = api.orvsim_alpha_checksum();
  EXPECT_EQ(api.vdc_put_alpha(nullptr, field.data(), 16), 0);
  EXPECT_EQ(api.vdc_put_alpha(field.data(), nullptr, 16), 0);
  EXPECT_EQ(api.vdc_put_alpha(field.data(), field.data(), 0), 0);
  EXPECT_EQ(api.vdc_put_alpha(field.data(), field.data(), -16), 0);
  EXPECT_EQ(api.vdc_put_alpha(field.data(), field.data(), 2 * 1024 * 1024 + 1), 0);
  EXPECT_EQ(api.orvsim_alpha_checksum(), before);
}

TEST(CardValuesTest, SetKeepsValuesInRangeAndGetReturnsThem) {
  CardLibrary card;
  const auto& api = card.api;
  struct {
    const char* label;
    int32_t (*set)(int32_t);
    int32_t (*get)();
    int32_t powerOn, good, bad;
  } const cases[] = {
      {"mixer alpha", api.vdc_mixer_alpha_set, api.vdc_mixer_alpha_get, 255, 0, 256},
      {"mixer blender", api.vdc_mixer_blender_set, api.vdc_mixer_blender_get, 0, 2, 4},
      {"input vhue", api.vdc_input_set_vhue, api.vdc_input_get_vhue, 0, -100, 128},
      {"input gamma", api.vdc_input_set_gamma, api.vdc_input_get_gamma, 100, 220, 5},
      {"output sc phase", api.vdc_output_set_sc_phase, api.vdc_output_get_sc_phase, 0, 359, 360},
      {"keyer invert", api.vdc_keyer_invert_set, api.vdc_keyer_invert_get, 0, 1, 2},
      {"speed", api.vdc_SetSpeed, api.vdc_GetSpeed, 1, 1, 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.get(), c.powerOn) << c.label;
    EXPECT_EQ(c.set(c.good), 1) << c.label;
    EXPECT_EQ(c.get(), c.good) << c.label;
    EXPECT_EQ(c.set(c.bad), 0) << c.label;
    EXPECT_EQ(c.get(), c.good) << c.label << ": a refused value leaves the setting";
  }
  api.vdc_init_orvane();
  for (const auto& c : cases)
    EXPECT_EQ(c.get(), c.powerOn) << c.label << " after init";
}

TEST(CardValuesTest, OutputStandardBringsItsFrameSize) {
  CardLibrary card;
  const auto& api = card.api;
  int32_t w = 0, h = 0;
  ASSERT_EQ(api.vdc_output_set_standart(1), 1);
  api.vdc_output_get_scale(nullptr, nullptr, &w, &h);
  EXPECT_EQ(api.vdc_output_get_standart(), 1);
  EXPECT_EQ(w, 768);
  EXPECT_EQ(h, 576);
  ASSERT_EQ(api.vdc_output_set_scale(8, 4, 720, 480), 1);
  int32_t x = 0, y = 0;
  api.vdc_output_get_scale(&x, &y, &w, &h);
  EXPECT_EQ(x, 8);
  EXPECT_EQ(y, 4);
  EXPECT_EQ(w, 720);
  EXPECT_EQ(api.vdc_output_set_scale(0, 0, 0, 480), 0);
}

TEST(CardBoardTest, RegistersI2cAndMemoryKeepWhatIsWritten) {
  CardLibrary card;
  const auto& api = card.api;
  EXPECT_EQ(api.vdc_write_register(17, -5), 1);
  EXPECT_EQ(api.vdc_read_register(17), -5);
  EXPECT_EQ(api.vdc_read_register(256), -1);
  EXPECT_EQ(api.vdc_write_i2c(0x45, 0x10, 0xAB), 1);
  EXPECT_EQ(api.vdc_read_i2c(0x45, 0x10), 0xAB);
  EXPECT_EQ(api.vdc_write_i2c(0x45, 0x10, 256), 0) << "one byte per subaddress";
  EXPECT_EQ(api.vdc_read_i2c(128, 0), -1);
  EXPECT_EQ(api.vdc_write_memory(65535, 9), 1);
  EXPECT_EQ(api.vdc_read_memory(65535), 9);
  EXPECT_EQ(api.vdc_read_memory(65536), -1);
  EXPECT_EQ(api.call_vxd(1, nullptr), -1);
}

TEST(CardBoardTest, KeyTableAndVideoFrameRoundTrip) {
  CardLibrary card;
  const auto& api = card.api;
  std::vector<uint8_t> table(256), back(256);
  for (int k = 0; k < 256; ++k)
    table[k] = static_cast<uint8_t>(255 - k);
  EXPECT_EQ(api.vdc_write_key_table(table.data(), 256), 1);
  EXPECT_EQ(api.vdc_read_key_table(back.data(), 256), 1);
  EXPECT_EQ(back, table);
  EXPECT_EQ(api.vdc_write_key_table(table.data(), 255), 0);

  const int32_t frameBytes = 640 * 480 * 2;
  std::vector<uint8_t> video(frameBytes), read(frameBytes);
  ASSERT_EQ(api.vdc_get_video_data(read.data(), frameBytes), 1);
  EXPECT_EQ(read[0], 0x80) << "black before anything was put";
  EXPECT_EQ(read[1], 0x10);
  for (int32_t k = 0; k < frameBytes; ++k)
    video[k] = static_cast<uint8_t>(k);
  ASSERT_EQ(api.vdc_put_video_data(video.data(), frameBytes), 1);
  ASSERT_EQ(api.vdc_get_video_data(read.data(), frameBytes), 1);
  EXPECT_EQ(read, video);
  EXPECT_EQ(api.vdc_put_video_data(video.data(), frameBytes - 2), 0);
}

}  // namespace
