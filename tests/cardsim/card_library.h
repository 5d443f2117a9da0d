#pragma once

#include <dlfcn.h>
#include <unistd.h>

#include <cstdint>
#include <initializer_list>
#include <string>

#include "cardsim/orvinter_sim.h"
#include "device/orvinter_exports.h"
#include "tests/cardsim/scoped_env.h"
#include "tests/testing/fnv1a.h"

// The card library's full name: built next to the test executables. (A bare
// name would not do under ThreadSanitizer, whose dlopen wrapper hides the
// executable's $ORIGIN run path from the loader.)
inline std::string CardLibraryPath(const char* file = "liborvinter.so") {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  std::string exe(path, length > 0 ? static_cast<size_t>(length) : 0);
  return exe.substr(0, exe.rfind('/') + 1) + file;
}

// The simulated card loaded straight with dlopen, with the given settings,
// and every export looked up by name (nullptr when missing). Unloads on
// destruction. One at a time: a second load of the same file would be the
// same card.
class CardLibrary {
 public:
  struct Api {
#define CARD_API_MEMBER(ret, name, params) ret(*name) params = nullptr;
    ORVINTER_ALL_EXPORTS(CARD_API_MEMBER)
#undef CARD_API_MEMBER
    decltype(&::orvsim_frames_shown) orvsim_frames_shown = nullptr;
    decltype(&::orvsim_underruns) orvsim_underruns = nullptr;
    decltype(&::orvsim_late_frames) orvsim_late_frames = nullptr;
    decltype(&::orvsim_protocol_errors) orvsim_protocol_errors = nullptr;
    decltype(&::orvsim_stray_releases) orvsim_stray_releases = nullptr;
    decltype(&::orvsim_announcements) orvsim_announcements = nullptr;
    decltype(&::orvsim_free_size_queries) orvsim_free_size_queries = nullptr;
    decltype(&::orvsim_alpha_checksum) orvsim_alpha_checksum = nullptr;
    decltype(&::orvsim_copy_alpha) orvsim_copy_alpha = nullptr;
    decltype(&::orvsim_register_calls) orvsim_register_calls = nullptr;
    decltype(&::orvsim_format) orvsim_format = nullptr;
    decltype(&::orvsim_set_fifo_origin) orvsim_set_fifo_origin = nullptr;
    decltype(&::orvsim_consume) orvsim_consume = nullptr;
    decltype(&::orvsim_set_stall) orvsim_set_stall = nullptr;
    decltype(&::orvsim_hold_consumer) orvsim_hold_consumer = nullptr;
    decltype(&::orvsim_set_jitter) orvsim_set_jitter = nullptr;
    decltype(&::orvsim_set_free_size_delay) orvsim_set_free_size_delay = nullptr;
  };

  explicit CardLibrary(std::initializer_list<ScopedCardEnv::Setting> settings = {},
                       const char* file = "liborvinter.so") {
    ScopedCardEnv env(settings);
    handle_ = dlopen(CardLibraryPath(file).c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr)
      return;
#define CARD_API_FIND(ret, name, params) Find(api.name, #name);
    ORVINTER_ALL_EXPORTS(CARD_API_FIND)
#undef CARD_API_FIND
    Find(api.orvsim_frames_shown, "orvsim_frames_shown");
    Find(api.orvsim_underruns, "orvsim_underruns");
    Find(api.orvsim_late_frames, "orvsim_late_frames");
    Find(api.orvsim_protocol_errors, "orvsim_protocol_errors");
    Find(api.orvsim_stray_releases, "orvsim_stray_releases");
    Find(api.orvsim_announcements, "orvsim_announcements");
    Find(api.orvsim_free_size_queries, "orvsim_free_size_queries");
    Find(api.orvsim_alpha_checksum, "orvsim_alpha_checksum");
    Find(api.orvsim_copy_alpha, "orvsim_copy_alpha");
    Find(api.orvsim_register_calls, "orvsim_register_calls");
    Find(api.orvsim_format, "orvsim_format");
    Find(api.orvsim_set_fifo_origin, "orvsim_set_fifo_origin");
    Find(api.orvsim_consume, "orvsim_consume");
    Find(api.orvsim_set_stall, "orvsim_set_stall");
    Find(api.orvsim_hold_consumer, "orvsim_hold_consumer");
    Find(api.orvsim_set_jitter, "orvsim_set_jitter");
    Find(api.orvsim_set_free_size_delay, "orvsim_set_free_size_delay");
  }
  ~CardLibrary() {
    if (handle_ != nullptr)
      dlclose(handle_);
  }
  CardLibrary(const CardLibrary&) = delete;
  CardLibrary& operator=(const CardLibrary&) = delete;

  bool Loaded() const {
    return handle_ != nullptr;
  }
  void* Handle() const {
    return handle_;
  }

  Api api;

 private:
  template <class F>
  void Find(F& pointer, const char* name) {
    pointer = reinterpret_cast<F>(dlsym(handle_, name));
  }

  void* handle_ = nullptr;
};

// Claims what the card needs to stream, as the program does: the board, the
// FIFO's DMA channel, the alpha memory and the frame interrupt.
inline bool ClaimStreaming(const CardLibrary& card) {
  for (int32_t n : {kResourceBoard, kResourceFifoDma, kResourceAlpha, kResourceFrameInterrupt}) {
    if (card.api.vdc_register(n) != 1)
      return false;
  }
  return true;
}

// True while any copy of the file is mapped into the process.
inline bool CardLibraryMapped(const char* file = "liborvinter.so") {
  void* h = dlopen(CardLibraryPath(file).c_str(), RTLD_NOW | RTLD_NOLOAD);
  if (h == nullptr)
    return false;
  dlclose(h);
  return true;
}
