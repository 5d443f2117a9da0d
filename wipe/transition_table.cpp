#include "wipe/transition_table.h"

#include <algorithm>

#if defined(__x86_64__)
#include <immintrin.h>
#endif

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
  alignas(64) uint8_t bytes[256];
};

// Four lookups per step, from the end toward the start, then the leftover
// bytes of a count that is not a multiple of 4.
void PlainLookUp(uint8_t* out, const uint8_t* in, const uint8_t* lut, size_t count) {
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

#if defined(__x86_64__)

// 32 bytes per step: each of the 16 rows of the table is looked up by the
// low nibble and kept where the high nibble names that row.
__attribute__((target("avx2"))) void Avx2LookUp(uint8_t* out, const uint8_t* in, const uint8_t* lut,
                                                size_t count) {
  __m256i rows[16];
  for (int h = 0; h < 16; ++h) {
    rows[h] = _mm256_broadcastsi128_si256(
        _mm_loadu_si128(reinterpret_cast<const __m128i*>(lut + 16 * h)));
  }
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  size_t k = 0;
  for (; k + 32 <= count; k += 32) {
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(in + k));
    const __m256i low = _mm256_and_si256(x, nibble);
    const __m256i high = _mm256_and_si256(_mm256_srli_epi16(x, 4), nibble);
    __m256i result = _mm256_setzero_si256();
    for (int h = 0; h < 16; ++h) {
      const __m256i inRow = _mm256_cmpeq_epi8(high, _mm256_set1_epi8(static_cast<char>(h)));
      result = _mm256_or_si256(result, _mm256_and_si256(_mm256_shuffle_epi8(rows[h], low), inRow));
    }
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + k), result);
  }
  PlainLookUp(out + k, in + k, lut, count - k);
}

// 64 bytes per step: two 128-entry permutes, chosen between by bit 7.
__attribute__((target("avx512f,avx512bw,avx512vbmi"))) void Avx512VbmiLookUp(uint8_t* out,
                                                                             const uint8_t* in,
                                                                             const uint8_t* lut,
                                                                             size_t count) {
  const __m512i t0 = _mm512_loadu_si512(lut);
  const __m512i t1 = _mm512_loadu_si512(lut + 64);
  const __m512i t2 = _mm512_loadu_si512(lut + 128);
  const __m512i t3 = _mm512_loadu_si512(lut + 192);
  size_t k = 0;
  for (; k + 64 <= count; k += 64) {
    const __m512i x = _mm512_loadu_si512(in + k);
    const __m512i lower = _mm512_permutex2var_epi8(t0, x, t1);
    const __m512i upper = _mm512_permutex2var_epi8(t2, x, t3);
    _mm512_storeu_si512(out + k, _mm512_mask_blend_epi8(_mm512_movepi8_mask(x), lower, upper));
  }
  // The tail byte by byte: a masked load would be read by the address
  // sanitizer as a full 64-byte access.
  PlainLookUp(out + k, in + k, lut, count - k);
}

#endif

using LookUpFunction = void (*)(uint8_t*, const uint8_t*, const uint8_t*, size_t);

LookUpFunction KernelFunction(LookupKernel kernel) {
  switch (kernel) {
#if defined(__x86_64__)
    case LookupKernel::kAvx2:
      return Avx2LookUp;
    case LookupKernel::kAvx512Vbmi:
      return Avx512VbmiLookUp;
#endif
    default:
      return PlainLookUp;
  }
}

LookUpFunction BestLookUp() {
  static const LookUpFunction best = KernelFunction(ActiveLookupKernel());
  return best;
}

inline void LookUp(uint8_t* out, const uint8_t* in, const uint8_t* lut, size_t count) {
  BestLookUp()(out, in, lut, count);
}

}  // namespace

bool LookupKernelAvailable(LookupKernel kernel) {
  switch (kernel) {
    case LookupKernel::kPlain:
      return true;
#if defined(__x86_64__)
    case LookupKernel::kAvx2:
      return __builtin_cpu_supports("avx2");
    case LookupKernel::kAvx512Vbmi:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
#endif
    default:
      return false;
  }
}

LookupKernel ActiveLookupKernel() {
  static const LookupKernel active = [] {
    if (LookupKernelAvailable(LookupKernel::kAvx512Vbmi))
      return LookupKernel::kAvx512Vbmi;
    if (LookupKernelAvailable(LookupKernel::kAvx2))
      return LookupKernel::kAvx2;
    return LookupKernel::kPlain;
  }();
  return active;
}

void LookUpBytes(LookupKernel kernel, uint8_t* out, const uint8_t* in, const uint8_t* lut,
                 size_t count) {
  if (!LookupKernelAvailable(kernel))
    kernel = LookupKernel::kPlain;
  KernelFunction(kernel)(out, in, lut, count);
}

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
