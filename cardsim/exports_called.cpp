// The exports the program calls.

#include "cardsim/card.h"
#include "cardsim/orvinter_api.h"

namespace {

int32_t WriteScale(const Card::Scale& s, int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  // Each pointer is optional: a caller may want only some of the four.
  if (x != nullptr)
    *x = s.x;
  if (y != nullptr)
    *y = s.y;
  if (width != nullptr)
    *width = s.width;
  if (height != nullptr)
    *height = s.height;
  return 1;
}

}  // namespace

int32_t orvdll_status(void) {
  return TheCard().Settings().status;
}

int32_t vdc_get_version(void) {
  return TheCard().Settings().version;
}

int32_t vdc_output_get_standart(void) {
  return TheCard().Standard();
}

int32_t vdc_input_get_enabled_window(void) {
  return TheCard().EnabledWindow();
}

int32_t vdc_input_get_scale(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  return WriteScale(TheCard().InputScale(), x, y, width, height);
}

int32_t vdc_output_get_scale(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
  return WriteScale(TheCard().OutputScale(), x, y, width, height);
}

int32_t vdc_register(int32_t resource) {
  return TheCard().Register(resource) ? 1 : 0;
}

int32_t vdc_unregister(int32_t resource) {
  return TheCard().Unregister(resource) ? 1 : 0;
}

int32_t vdc_unregister_all(void) {
  TheCard().UnregisterAll();
  return 1;
}

int32_t vdc_SetFormat(int32_t width, int32_t height, int32_t pixelFormat, int32_t flags) {
  return TheCard().SetFormat(width, height, pixelFormat, flags) ? 1 : 0;
}

int32_t vdc_put_alpha(const uint8_t* top, const uint8_t* bottom, int32_t fieldBytes) {
  return TheCard().PutAlpha(top, bottom, fieldBytes) ? 1 : 0;
}

int32_t vdc_mixer_alpha_set(int32_t value) {
  return TheCard().SetValue(Card::kMixerAlpha, value) ? 1 : 0;
}

int32_t vdc_mixer_blender_set(int32_t value) {
  return TheCard().SetValue(Card::kMixerBlender, value) ? 1 : 0;
}

uint8_t* vdc_AllocVideoFifo(int32_t* size) {
  return TheCard().AllocVideoFifo(size);
}

int32_t vdc_ReleaseVideoFifo(void) {
  return TheCard().ReleaseVideoFifo() ? 1 : 0;
}

int32_t vdc_Stop(void) {
  TheCard().Stop();
  return 1;
}

int32_t vdc_Pause(void) {
  return TheCard().Pause() ? 1 : 0;
}

int32_t vdc_Run(void) {
  return TheCard().Run() ? 1 : 0;
}

int32_t vdc_ResetCounter(int32_t counter, int32_t value) {
  return TheCard().ResetCounter(counter, value) ? 1 : 0;
}

int32_t vdc_CheckFreeSize(int32_t bytes, int32_t guardKiB) {
  return TheCard().CheckFreeSize(bytes, guardKiB);
}

int32_t vdc_AddData(int32_t frame, int32_t field, int32_t kind, int32_t bytes) {
  return TheCard().AddData(frame, field, kind, bytes) ? 1 : 0;
}
