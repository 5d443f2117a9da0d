#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "cardsim/orvinter_sim.h"
#include "device/orvane_device.h"

// The simulated card's extra exports, found through the device's own load
// of the library (valid until the device closes).
struct SimulatedCard {
  explicit SimulatedCard(const OrvaneDevice& device) {
    Find(device, framesShown, "orvsim_frames_shown");
    Find(device, underruns, "orvsim_underruns");
    Find(device, lateFrames, "orvsim_late_frames");
    Find(device, protocolErrors, "orvsim_protocol_errors");
    Find(device, strayReleases, "orvsim_stray_releases");
    Find(device, announcements, "orvsim_announcements");
    Find(device, freeSizeQueries, "orvsim_free_size_queries");
    Find(device, copyAlpha, "orvsim_copy_alpha");
    Find(device, registerCalls, "orvsim_register_calls");
    Find(device, format, "orvsim_format");
    Find(device, setFifoOrigin, "orvsim_set_fifo_origin");
    Find(device, consume, "orvsim_consume");
    Find(device, setFaults, "orvsim_set_faults");
    Find(device, setStall, "orvsim_set_stall");
    Find(device, holdConsumer, "orvsim_hold_consumer");
    Find(device, setJitter, "orvsim_set_jitter");
    Find(device, setFreeSizeDelay, "orvsim_set_free_size_delay");
  }
  bool Found() const {
    return consume != nullptr && setFaults != nullptr && setFreeSizeDelay != nullptr;
  }

  // The picture the card shows and the FIFO frame it came from (-1: the
  // still alpha).
  int32_t Shown(std::vector<uint8_t>& picture, size_t bytes) const {
    picture.assign(bytes, 0xEE);
    return copyAlpha(picture.data(), static_cast<int32_t>(bytes));
  }

  decltype(&::orvsim_frames_shown) framesShown = nullptr;
  decltype(&::orvsim_underruns) underruns = nullptr;
  decltype(&::orvsim_late_frames) lateFrames = nullptr;
  decltype(&::orvsim_protocol_errors) protocolErrors = nullptr;
  decltype(&::orvsim_stray_releases) strayReleases = nullptr;
  decltype(&::orvsim_announcements) announcements = nullptr;
  decltype(&::orvsim_free_size_queries) freeSizeQueries = nullptr;
  decltype(&::orvsim_copy_alpha) copyAlpha = nullptr;
  decltype(&::orvsim_register_calls) registerCalls = nullptr;
  decltype(&::orvsim_format) format = nullptr;
  decltype(&::orvsim_set_fifo_origin) setFifoOrigin = nullptr;
  decltype(&::orvsim_consume) consume = nullptr;
  decltype(&::orvsim_set_faults) setFaults = nullptr;
  decltype(&::orvsim_set_stall) setStall = nullptr;
  decltype(&::orvsim_hold_consumer) holdConsumer = nullptr;
  decltype(&::orvsim_set_jitter) setJitter = nullptr;
  decltype(&::orvsim_set_free_size_delay) setFreeSizeDelay = nullptr;

 private:
  template <class F>
  static void Find(const OrvaneDevice& device, F& pointer, const char* name) {
    pointer = reinterpret_cast<F>(device.LibrarySymbol(name));
  }
};
