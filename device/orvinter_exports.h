#pragma once

// Every export of the card's driver-interface library, with its signature, as
// one X-macro list. The simulated card declares (and so must define) exactly
// these; the binding looks up exactly these and makes a stub of each from the
// same list, so the two sides can never disagree on a name or a signature.
//
// X(returnType, name, (parameter types))
//
// All arguments are 32-bit integers or addresses; every export returns a
// 32-bit integer except vdc_AllocVideoFifo, which returns the ring's address.

#include <stdint.h>

// The exports the program calls.
#define ORVINTER_CALLED_EXPORTS(X)                                           \
  X(int32_t, orvdll_status, (void))                                          \
  X(int32_t, vdc_get_version, (void))                                        \
  X(int32_t, vdc_output_get_standart, (void))                                \
  X(int32_t, vdc_input_get_enabled_window, (void))                           \
  X(int32_t, vdc_input_get_scale, (int32_t*, int32_t*, int32_t*, int32_t*))  \
  X(int32_t, vdc_output_get_scale, (int32_t*, int32_t*, int32_t*, int32_t*)) \
  X(int32_t, vdc_register, (int32_t))                                        \
  X(int32_t, vdc_unregister, (int32_t))                                      \
  X(int32_t, vdc_unregister_all, (void))                                     \
  X(int32_t, vdc_SetFormat, (int32_t, int32_t, int32_t, int32_t))            \
  X(int32_t, vdc_put_alpha, (const uint8_t*, const uint8_t*, int32_t))       \
  X(int32_t, vdc_mixer_alpha_set, (int32_t))                                 \
  X(int32_t, vdc_mixer_blender_set, (int32_t))                               \
  X(uint8_t*, vdc_AllocVideoFifo, (int32_t*))                                \
  X(int32_t, vdc_ReleaseVideoFifo, (void))                                   \
  X(int32_t, vdc_Stop, (void))                                               \
  X(int32_t, vdc_Pause, (void))                                              \
  X(int32_t, vdc_Run, (void))                                                \
  X(int32_t, vdc_ResetCounter, (int32_t, int32_t))                           \
  X(int32_t, vdc_CheckFreeSize, (int32_t, int32_t))                          \
  X(int32_t, vdc_AddData, (int32_t, int32_t, int32_t, int32_t))

// Low-level access to the board.
#define ORVINTER_LOW_LEVEL_EXPORTS(X)                    \
  X(int32_t, call_vxd, (int32_t, int32_t*))              \
  X(int32_t, vdc_read_i2c, (int32_t, int32_t))           \
  X(int32_t, vdc_write_i2c, (int32_t, int32_t, int32_t)) \
  X(int32_t, vdc_read_register, (int32_t))               \
  X(int32_t, vdc_write_register, (int32_t, int32_t))     \
  X(int32_t, vdc_read_memory, (int32_t))                 \
  X(int32_t, vdc_write_memory, (int32_t, int32_t))

// Board set-up and identity.
#define ORVINTER_BOARD_EXPORTS(X)           \
  X(int32_t, vdc_init_orvane, (void))       \
  X(int32_t, vdc_reset_orvane, (void))      \
  X(int32_t, vdc_get_board_id, (void))      \
  X(int32_t, vdc_get_serial_number, (void)) \
  X(int32_t, vdc_get_memory_size, (void))   \
  X(int32_t, vdc_get_firmware_version, (void))

// Counters, time code and user bits.
#define ORVINTER_COUNTER_EXPORTS(X)               \
  X(int32_t, vdc_get_counter, (int32_t))          \
  X(int32_t, vdc_set_counter, (int32_t, int32_t)) \
  X(int32_t, vdc_get_field_counter, (void))       \
  X(int32_t, vdc_get_time_code, (void))           \
  X(int32_t, vdc_set_time_code, (int32_t))        \
  X(int32_t, vdc_get_user_bits, (void))           \
  X(int32_t, vdc_set_user_bits, (int32_t))        \
  X(int32_t, vdc_read_vitc, (void))               \
  X(int32_t, vdc_write_vitc, (int32_t))           \
  X(int32_t, vdc_get_dropped_frames, (void))

// Status.
#define ORVINTER_STATUS_EXPORTS(X)           \
  X(int32_t, vdc_get_status, (void))         \
  X(int32_t, vdc_get_error, (void))          \
  X(int32_t, vdc_clear_error, (void))        \
  X(int32_t, vdc_get_input_signal, (void))   \
  X(int32_t, vdc_get_current_field, (void))  \
  X(int32_t, vdc_get_genlock_status, (void)) \
  X(int32_t, vdc_is_registered, (int32_t))

// Input adjustment: one set and one get per picture setting.
#define ORVINTER_INPUT_EXPORTS(X)                                       \
  X(int32_t, vdc_input_set_enabled_window, (int32_t))                   \
  X(int32_t, vdc_input_set_scale, (int32_t, int32_t, int32_t, int32_t)) \
  X(int32_t, vdc_input_set_brightness, (int32_t))                       \
  X(int32_t, vdc_input_get_brightness, (void))                          \
  X(int32_t, vdc_input_set_contrast, (int32_t))                         \
  X(int32_t, vdc_input_get_contrast, (void))                            \
  X(int32_t, vdc_input_set_saturation, (int32_t))                       \
  X(int32_t, vdc_input_get_saturation, (void))                          \
  X(int32_t, vdc_input_set_hue, (int32_t))                              \
  X(int32_t, vdc_input_get_hue, (void))                                 \
  X(int32_t, vdc_input_set_vhue, (int32_t))                             \
  X(int32_t, vdc_input_get_vhue, (void))                                \
  X(int32_t, vdc_input_set_sharpness, (int32_t))                        \
  X(int32_t, vdc_input_get_sharpness, (void))                           \
  X(int32_t, vdc_input_set_gamma, (int32_t))                            \
  X(int32_t, vdc_input_get_gamma, (void))                               \
  X(int32_t, vdc_input_set_black_level, (int32_t))                      \
  X(int32_t, vdc_input_get_black_level, (void))                         \
  X(int32_t, vdc_input_set_chroma_gain, (int32_t))                      \
  X(int32_t, vdc_input_get_chroma_gain, (void))                         \
  X(int32_t, vdc_input_set_luma_delay, (int32_t))                       \
  X(int32_t, vdc_input_get_luma_delay, (void))                          \
  X(int32_t, vdc_input_set_filter, (int32_t))                           \
  X(int32_t, vdc_input_get_filter, (void))                              \
  X(int32_t, vdc_input_set_agc, (int32_t))                              \
  X(int32_t, vdc_input_get_agc, (void))                                 \
  X(int32_t, vdc_input_set_source, (int32_t))                           \
  X(int32_t, vdc_input_get_source, (void))                              \
  X(int32_t, vdc_input_set_standart, (int32_t))                         \
  X(int32_t, vdc_input_get_standart, (void))

// Output settings.
#define ORVINTER_OUTPUT_EXPORTS(X)                                       \
  X(int32_t, vdc_output_set_standart, (int32_t))                         \
  X(int32_t, vdc_output_set_scale, (int32_t, int32_t, int32_t, int32_t)) \
  X(int32_t, vdc_output_set_brightness, (int32_t))                       \
  X(int32_t, vdc_output_get_brightness, (void))                          \
  X(int32_t, vdc_output_set_contrast, (int32_t))                         \
  X(int32_t, vdc_output_get_contrast, (void))                            \
  X(int32_t, vdc_output_set_saturation, (int32_t))                       \
  X(int32_t, vdc_output_get_saturation, (void))                          \
  X(int32_t, vdc_output_set_hue, (int32_t))                              \
  X(int32_t, vdc_output_get_hue, (void))                                 \
  X(int32_t, vdc_output_set_genlock, (int32_t))                          \
  X(int32_t, vdc_output_get_genlock, (void))                             \
  X(int32_t, vdc_output_set_h_phase, (int32_t))                          \
  X(int32_t, vdc_output_get_h_phase, (void))                             \
  X(int32_t, vdc_output_set_sc_phase, (int32_t))                         \
  X(int32_t, vdc_output_get_sc_phase, (void))                            \
  X(int32_t, vdc_output_set_mode, (int32_t))                             \
  X(int32_t, vdc_output_get_mode, (void))

// Mixer and keyer.
#define ORVINTER_MIXER_EXPORTS(X)             \
  X(int32_t, vdc_mixer_alpha_get, (void))     \
  X(int32_t, vdc_mixer_blender_get, (void))   \
  X(int32_t, vdc_mixer_fade_set, (int32_t))   \
  X(int32_t, vdc_mixer_fade_get, (void))      \
  X(int32_t, vdc_mixer_source_set, (int32_t)) \
  X(int32_t, vdc_mixer_source_get, (void))    \
  X(int32_t, vdc_mixer_level_set, (int32_t))  \
  X(int32_t, vdc_mixer_level_get, (void))     \
  X(int32_t, vdc_keyer_mode_set, (int32_t))   \
  X(int32_t, vdc_keyer_mode_get, (void))      \
  X(int32_t, vdc_keyer_level_set, (int32_t))  \
  X(int32_t, vdc_keyer_level_get, (void))     \
  X(int32_t, vdc_keyer_clip_set, (int32_t))   \
  X(int32_t, vdc_keyer_clip_get, (void))      \
  X(int32_t, vdc_keyer_gain_set, (int32_t))   \
  X(int32_t, vdc_keyer_gain_get, (void))      \
  X(int32_t, vdc_keyer_source_set, (int32_t)) \
  X(int32_t, vdc_keyer_source_get, (void))    \
  X(int32_t, vdc_keyer_invert_set, (int32_t)) \
  X(int32_t, vdc_keyer_invert_get, (void))    \
  X(int32_t, vdc_keyer_color_set, (int32_t))  \
  X(int32_t, vdc_keyer_color_get, (void))

// Frame and key-table transfer.
#define ORVINTER_TRANSFER_EXPORTS(X)                         \
  X(int32_t, vdc_put_video_data, (const uint8_t*, int32_t))  \
  X(int32_t, vdc_get_video_data, (uint8_t*, int32_t))        \
  X(int32_t, vdc_write_key_table, (const uint8_t*, int32_t)) \
  X(int32_t, vdc_read_key_table, (uint8_t*, int32_t))        \
  X(int32_t, vdc_get_alpha, (uint8_t*, uint8_t*, int32_t))   \
  X(int32_t, vdc_grab_frame, (uint8_t*, int32_t))

// Streaming, beside the calls the program makes.
#define ORVINTER_STREAMING_EXPORTS(X)     \
  X(int32_t, vdc_GetFrameNumber, (void))  \
  X(int32_t, vdc_Flush, (void))           \
  X(int32_t, vdc_GetFreeSize, (void))     \
  X(int32_t, vdc_GetFifoSize, (void))     \
  X(int32_t, vdc_GetQueuedFrames, (void)) \
  X(int32_t, vdc_SetSpeed, (int32_t))     \
  X(int32_t, vdc_GetSpeed, (void))

// The exports the binding looks up but the program never calls.
#define ORVINTER_OTHER_EXPORTS(X) \
  ORVINTER_LOW_LEVEL_EXPORTS(X)   \
  ORVINTER_BOARD_EXPORTS(X)       \
  ORVINTER_COUNTER_EXPORTS(X)     \
  ORVINTER_STATUS_EXPORTS(X)      \
  ORVINTER_INPUT_EXPORTS(X)       \
  ORVINTER_OUTPUT_EXPORTS(X)      \
  ORVINTER_MIXER_EXPORTS(X)       \
  ORVINTER_TRANSFER_EXPORTS(X)    \
  ORVINTER_STREAMING_EXPORTS(X)

#define ORVINTER_ALL_EXPORTS(X) \
  ORVINTER_CALLED_EXPORTS(X)    \
  ORVINTER_OTHER_EXPORTS(X)

#ifdef __cplusplus
#define ORVINTER_COUNT_ONE(ret, name, params) +1
inline constexpr int kOrvinterCalledExports = 0 ORVINTER_CALLED_EXPORTS(ORVINTER_COUNT_ONE);
inline constexpr int kOrvinterOtherExports = 0 ORVINTER_OTHER_EXPORTS(ORVINTER_COUNT_ONE);
#undef ORVINTER_COUNT_ONE
static_assert(kOrvinterCalledExports == 21, "the program calls 21 exports");
static_assert(kOrvinterOtherExports == 113, "113 further exports are bound but never called");

// The card's resource numbers, as claimed with vdc_register.
inline constexpr int32_t kResourceBoard = 2;
inline constexpr int32_t kResourceMixer = 4;
inline constexpr int32_t kResourceAlpha = 7;
inline constexpr int32_t kResourceFrameInterrupt = 8;
inline constexpr int32_t kResourceFifoDma = 9;

// The streaming protocol (its full description is in cardsim/orvinter_sim.h):
// vdc_AddData kinds, and the distance in KiB that vdc_CheckFreeSize keeps
// free in front of the card's read position.
inline constexpr int32_t kAddFieldData = 2;
inline constexpr int32_t kAddEndOfFrame = 4;
inline constexpr int32_t kFifoGuardKiB = 40;

// The names, for code that walks the list (tests, tools).
#define ORVINTER_NAME_STRING(ret, name, params) #name,
inline constexpr const char* kOrvinterExportNames[] = {ORVINTER_ALL_EXPORTS(ORVINTER_NAME_STRING)};
#undef ORVINTER_NAME_STRING
#endif
