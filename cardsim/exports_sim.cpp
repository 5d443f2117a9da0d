// Statistics and controls for tests and tools; the program never binds them.

#include "cardsim/card.h"
#include "cardsim/orvinter_sim.h"

int32_t orvsim_frames_shown(void) {
  return TheCard().FramesShown();
}

int32_t orvsim_underruns(void) {
  return TheCard().Underruns();
}

int32_t orvsim_late_frames(void) {
  return TheCard().LateFrames();
}

int32_t orvsim_protocol_errors(void) {
  return TheCard().ProtocolErrors();
}

int32_t orvsim_stray_releases(void) {
  return TheCard().StrayReleases();
}

int32_t orvsim_announcements(void) {
  return TheCard().Announcements();
}

int32_t orvsim_free_size_queries(void) {
  return TheCard().FreeSizeQueries();
}

uint32_t orvsim_alpha_checksum(void) {
  return TheCard().ShownChecksum();
}

int32_t orvsim_copy_alpha(uint8_t* destination, int32_t bytes) {
  return TheCard().CopyShown(destination, bytes);
}

int32_t orvsim_register_calls(int32_t resource) {
  return TheCard().RegisterCalls(resource);
}

int32_t orvsim_format(int32_t* width, int32_t* height) {
  int32_t w = 0, h = 0;
  TheCard().Format(w, h);
  if (width != nullptr)
    *width = w;
  if (height != nullptr)
    *height = h;
  return w > 0 ? 1 : 0;
}

int32_t orvsim_set_fifo_origin(int32_t offset) {
  return TheCard().MoveFifoOrigin(offset) ? 1 : 0;
}

int32_t orvsim_consume(int32_t frames) {
  return TheCard().ConsumeNow(frames);
}

void orvsim_set_faults(uint32_t unavailable, int32_t fifoFails, int32_t fifoMemory) {
  TheCard().SetFaults(unavailable, fifoFails != 0, fifoMemory);
}

void orvsim_set_stall(int32_t stalled) {
  TheCard().SetStalled(stalled != 0);
}

void orvsim_hold_consumer(int32_t held) {
  TheCard().HoldConsumer(held != 0);
}

void orvsim_set_jitter(int32_t microseconds) {
  TheCard().SetJitter(microseconds);
}

void orvsim_set_free_size_delay(int32_t microseconds) {
  TheCard().SetFreeSizeDelay(microseconds);
}
