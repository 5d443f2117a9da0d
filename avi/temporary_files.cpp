#include "avi/temporary_files.h"

#include <unistd.h>

#include <atomic>
#include <cstring>

namespace {

constexpr int kSlots = 8;
constexpr size_t kMaxName = 4096;

enum SlotState : int { kFree, kFilling, kNoted };

struct Slot {
  // Lock-free, so a handler that interrupts a change sees either state.
  std::atomic<int> state{kFree};
  char path[kMaxName];
};

static_assert(std::atomic<int>::is_always_lock_free);

Slot slots[kSlots];

}  // namespace

int NoteTemporaryFile(const std::string& path) {
  if (path.empty() || path.size() >= kMaxName)
    return -1;
  for (int i = 0; i < kSlots; ++i) {
    int expected = kFree;
    if (!slots[i].state.compare_exchange_strong(expected, kFilling))
      continue;
    std::memcpy(slots[i].path, path.c_str(), path.size() + 1);
    slots[i].state.store(kNoted, std::memory_order_release);
    return i;
  }
  return -1;
}

void ForgetTemporaryFile(int slot) {
  if (slot < 0 || slot >= kSlots)
    return;
  slots[slot].state.store(kFree, std::memory_order_release);
}

void RemoveTemporaryFiles() {
  for (Slot& slot : slots) {
    if (slot.state.load(std::memory_order_acquire) == kNoted)
      unlink(slot.path);
  }
}
