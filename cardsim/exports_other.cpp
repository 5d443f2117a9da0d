// The exports the program binds but never calls. They behave as the card
// would, so tools and tests can use them: settings keep what is set, the
// board's registers and memory keep what is written.

#include "cardsim/card.h"
#include "cardsim/orvinter_api.h"

// A set and a get export over one of the card's plain settings.
#define CARD_SETTING(setter, getter, value)            \
  int32_t setter(int32_t v) {                          \
    return TheCard().SetValue(Card::value, v) ? 1 : 0; \
  }                                                    \
  int32_t getter(void) {                               \
    return TheCard().GetValue(Card::value);            \
  }

// Low-level access.

// No virtual device driver stands behind the simulated card: every service
// is unknown.
int32_t call_vxd(int32_t /*service*/, int32_t* /*arguments*/) {
  return -1;
}

int32_t vdc_read_i2c(int32_t device, int32_t subaddress) {
  return TheCard().ReadI2c(device, subaddress);
}

int32_t vdc_write_i2c(int32_t device, int32_t subaddress, int32_t value) {
  return TheCard().WriteI2c(device, subaddress, value) ? 1 : 0;
}

int32_t vdc_read_register(int32_t reg) {
  return TheCard().ReadRegister(reg);
}

int32_t vdc_write_register(int32_t reg, int32_t value) {
  return TheCard().WriteRegister(reg, value) ? 1 : 0;
}

int32_t vdc_read_memory(int32_t offset) {
  return TheCard().ReadMemory(offset);
}

int32_t vdc_write_memory(int32_t offset, int32_t value) {
  return TheCard().WriteMemory(offset, value) ? 1 : 0;
}

// Board set-up.

int32_t vdc_init_orvane(void) {
  TheCard().InitValues();
  return 1;
}

int32_t vdc_reset_orvane(void) {
  TheCard().Reset();
  return 1;
}

int32_t vdc_get_board_id(void) {
  return 0x4F52;
}

int32_t vdc_get_serial_number(void) {
  return 1;
}

int32_t vdc_get_memory_size(void) {
  return TheCard().FifoMemory();
}

int32_t vdc_get_firmware_version(void) {
  return 0x0103;
}

// Counters and user bits.

int32_t vdc_get_counter(int32_t counter) {
  return TheCard().Counter(counter);
}

int32_t vdc_set_counter(int32_t counter, int32_t value) {
  return TheCard().ResetCounter(counter, value) ? 1 : 0;
}

int32_t vdc_get_field_counter(void) {
  return TheCard().Counter(0);
}

CARD_SETTING(vdc_set_time_code, vdc_get_time_code, kTimeCode)
CARD_SETTING(vdc_set_user_bits, vdc_get_user_bits, kUserBits)
CARD_SETTING(vdc_write_vitc, vdc_read_vitc, kVitc)

int32_t vdc_get_dropped_frames(void) {
  return TheCard().Underruns();
}

// Status.

int32_t vdc_get_status(void) {
  return TheCard().Status();
}

int32_t vdc_get_error(void) {
  return TheCard().ErrorsSinceClear();
}

int32_t vdc_clear_error(void) {
  TheCard().ClearErrors();
  return 1;
}

// Nothing is connected to the simulated card's input.
int32_t vdc_get_input_signal(void) {
  return 0;
}

int32_t vdc_get_current_field(void) {
  return TheCard().Counter(0) % 2;
}

// Free-running is always in lock; genlock has no reference to lock to.
int32_t vdc_get_genlock_status(void) {
  return TheCard().GetValue(Card::kOutputGenlock) ? 0 : 1;
}

int32_t vdc_is_registered(int32_t resource) {
  return TheCard().Registered(resource) ? 1 : 0;
}

// Input adjustment.

int32_t vdc_input_set_enabled_window(int32_t bits) {
  TheCard().SetEnabledWindow(bits);
  return 1;
}

int32_t vdc_input_set_scale(int32_t x, int32_t y, int32_t width, int32_t height) {
  return TheCard().SetInputScale(Card::Scale{x, y, width, height}) ? 1 : 0;
}

CARD_SETTING(vdc_input_set_brightness, vdc_input_get_brightness, kInputBrightness)
CARD_SETTING(vdc_input_set_contrast, vdc_input_get_contrast, kInputContrast)
CARD_SETTING(vdc_input_set_saturation, vdc_input_get_saturation, kInputSaturation)
CARD_SETTING(vdc_input_set_hue, vdc_input_get_hue, kInputHue)
CARD_SETTING(vdc_input_set_vhue, vdc_input_get_vhue, kInputVhue)
CARD_SETTING(vdc_input_set_sharpness, vdc_input_get_sharpness, kInputSharpness)
CARD_SETTING(vdc_input_set_gamma, vdc_input_get_gamma, kInputGamma)
CARD_SETTING(vdc_input_set_black_level, vdc_input_get_black_level, kInputBlackLevel)
CARD_SETTING(vdc_input_set_chroma_gain, vdc_input_get_chroma_gain, kInputChromaGain)
CARD_SETTING(vdc_input_set_luma_delay, vdc_input_get_luma_delay, kInputLumaDelay)
CARD_SETTING(vdc_input_set_filter, vdc_input_get_filter, kInputFilter)
CARD_SETTING(vdc_input_set_agc, vdc_input_get_agc, kInputAgc)
CARD_SETTING(vdc_input_set_source, vdc_input_get_source, kInputSource)
CARD_SETTING(vdc_input_set_standart, vdc_input_get_standart, kInputStandart)

// Output settings.

int32_t vdc_output_set_standart(int32_t standard) {
  return TheCard().SetStandard(standard) ? 1 : 0;
}

int32_t vdc_output_set_scale(int32_t x, int32_t y, int32_t width, int32_t height) {
  return TheCard().SetOutputScale(Card::Scale{x, y, width, height}) ? 1 : 0;
}

CARD_SETTING(vdc_output_set_brightness, vdc_output_get_brightness, kOutputBrightness)
CARD_SETTING(vdc_output_set_contrast, vdc_output_get_contrast, kOutputContrast)
CARD_SETTING(vdc_output_set_saturation, vdc_output_get_saturation, kOutputSaturation)
CARD_SETTING(vdc_output_set_hue, vdc_output_get_hue, kOutputHue)
CARD_SETTING(vdc_output_set_genlock, vdc_output_get_genlock, kOutputGenlock)
CARD_SETTING(vdc_output_set_h_phase, vdc_output_get_h_phase, kOutputHPhase)
CARD_SETTING(vdc_output_set_sc_phase, vdc_output_get_sc_phase, kOutputScPhase)
CARD_SETTING(vdc_output_set_mode, vdc_output_get_mode, kOutputMode)

// Mixer and keyer.

int32_t vdc_mixer_alpha_get(void) {
  return TheCard().GetValue(Card::kMixerAlpha);
}

int32_t vdc_mixer_blender_get(void) {
  return TheCard().GetValue(Card::kMixerBlender);
}

CARD_SETTING(vdc_mixer_fade_set, vdc_mixer_fade_get, kMixerFade)
CARD_SETTING(vdc_mixer_source_set, vdc_mixer_source_get, kMixerSource)
CARD_SETTING(vdc_mixer_level_set, vdc_mixer_level_get, kMixerLevel)
CARD_SETTING(vdc_keyer_mode_set, vdc_keyer_mode_get, kKeyerMode)
CARD_SETTING(vdc_keyer_level_set, vdc_keyer_level_get, kKeyerLevel)
CARD_SETTING(vdc_keyer_clip_set, vdc_keyer_clip_get, kKeyerClip)
CARD_SETTING(vdc_keyer_gain_set, vdc_keyer_gain_get, kKeyerGain)
CARD_SETTING(vdc_keyer_source_set, vdc_keyer_source_get, kKeyerSource)
CARD_SETTING(vdc_keyer_invert_set, vdc_keyer_invert_get, kKeyerInvert)
CARD_SETTING(vdc_keyer_color_set, vdc_keyer_color_get, kKeyerColor)

// Frame and key-table transfer.

int32_t vdc_put_video_data(const uint8_t* data, int32_t bytes) {
  return TheCard().PutVideoData(data, bytes) ? 1 : 0;
}

int32_t vdc_get_video_data(uint8_t* data, int32_t bytes) {
  return TheCard().GetVideoData(data, bytes) ? 1 : 0;
}

int32_t vdc_write_key_table(const uint8_t* table, int32_t entries) {
  return TheCard().WriteKeyTable(table, entries) ? 1 : 0;
}

int32_t vdc_read_key_table(uint8_t* table, int32_t entries) {
  return TheCard().ReadKeyTable(table, entries) ? 1 : 0;
}

int32_t vdc_get_alpha(uint8_t* top, uint8_t* bottom, int32_t fieldBytes) {
  return TheCard().GetStillAlpha(top, bottom, fieldBytes) ? 1 : 0;
}

// With no input signal a grabbed frame is black, U Y V Y, at the input scale.
int32_t vdc_grab_frame(uint8_t* data, int32_t bytes) {
  const Card::Scale s = TheCard().InputScale();
  if (data == nullptr || bytes != s.width * s.height * 2)
    return 0;
  for (int32_t k = 0; k < bytes; ++k)
    data[k] = (k % 2 == 0) ? 0x80 : 0x10;
  return 1;
}

// Streaming.

int32_t vdc_GetFrameNumber(void) {
  return TheCard().ShownFrameNumber();
}

#ifndef ORVINTER_SIM_WITHOUT_FLUSH
// The test-only build of the library leaves this one name out, so that a
// binding failure can be tested against a real library.
int32_t vdc_Flush(void) {
  return TheCard().Flush();
}
#endif

int32_t vdc_GetFreeSize(void) {
  return TheCard().FreeSize();
}

int32_t vdc_GetFifoSize(void) {
  return TheCard().FifoSize();
}

int32_t vdc_GetQueuedFrames(void) {
  return TheCard().QueuedFrames();
}

CARD_SETTING(vdc_SetSpeed, vdc_GetSpeed, kSpeed)
