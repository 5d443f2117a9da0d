#include "wipe/transition_table.h"

#include <algorithm>

void BuildTransitionTable(TransitionTable& table, int32_t position, int32_t width) {
  // Widths are never negative; a negative one would invert the ramp.
  const int32_t w = std::max(width, 0);
  const int32_t half = w / 2;
  // Wide arithmetic: positions from outside may be anything.
  int64_t start = static_cast<int64_t>(position) - half;
  int64_t end = start + w;
  const int64_t rampStart = start;
  start = std::min<int64_t>(start, 255);
  end = std::min<int64_t>(end, 256);

  int64_t v = 0;
  if (start >= 0) {
    for (; v <= start; ++v) table[v] = 0;
  }
  for (; v < end; ++v) {
    table[v] = static_cast<int32_t>(((v - rampStart) * 255 + half) / w);
  }
  for (; v < 256; ++v) table[v] = 255;
}

namespace {

// The table's low bytes, so the per-pixel lookup touches 256 bytes of cache.
struct ByteTable {
  explicit ByteTable(const TransitionTable& table) {
    for (int i = 0; i < 256; ++i) bytes[i] = static_cast<uint8_t>(table[i]);
  }
  uint8_t bytes[256];
};

// Four lookups per step, from the end toward the start, then the leftover
// bytes of a count that is not a multiple of 4.
inline void LookUp(uint8_t* out, const uint8_t* in, const uint8_t* lut, size_t count) {
  size_t k = count;
  const size_t rest = count % 4;
  while (k > rest) {
    k -= 4;
    out[k + 3] = lut[in[k + 3]];
    out[k + 2] = lut[in[k + 2]];
    out[k + 1] = lut[in[k + 1]];
    out[k] = lut[in[k]];
  }
  while (k > 0) {
    --k;
    out[k] = lut[in[k]];
  }
}

}  // namespace

void ApplyTransitionTable(uint8_t* destination, const uint8_t* pattern,
                          const TransitionTable& table, size_t count) {
  const ByteTable lut(table);
  LookUp(destination, pattern, lut.bytes, count);
}

bool WriteFieldToFifo(uint8_t* fifoBase, size_t offset, size_t fifoSize, size_t count,
                      const uint8_t* field, const TransitionTable& table) {
  if (offset >= fifoSize || count > fifoSize) return false;
  const ByteTable lut(table);
  if (offset + count < fifoSize) {
    LookUp(fifoBase + offset, field, lut.bytes, count);
    return true;
  }
  const size_t headBytes = fifoSize - offset;
  LookUp(fifoBase + offset, field, lut.bytes, headBytes);
  LookUp(fifoBase, field + headBytes, lut.bytes, count - headBytes);
  return true;
}
