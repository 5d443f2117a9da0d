#include "avi/alpha_encoder.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "avi/avi_format.h"

namespace {

constexpr int32_t kPage = static_cast<int32_t>(kAlphaPageBytes);
// The longest fill its 15-bit count can carry, kept a multiple of 4.
constexpr uint32_t kMaxFill = 0x7FFC;

uint32_t RoundUp4(uint32_t v) {
  return (v + 3) & ~3u;
}

// A segment's counts are single bytes. One that took every word of a page
// would count 256, so the last word of such a page is left unused instead.
// Only an operation that would end exactly at the page end can get there,
// and only when the segment's words began at the page start. Its skip does
// not rule that out: the words it passes over may be the previous page's
// unused tail, so the used words and the room left are what tell.
bool OwnsWholePage(AlphaSegmentCursor& segment, int32_t room) {
  return segment.Used() * 4 + room == kPage;
}

struct LineWriter {
  std::span<uint8_t> out;
  uint32_t position;

  bool Fits(uint32_t bytes) const { return bytes <= out.size() && position <= out.size() - bytes; }

  bool Fill(uint32_t count, uint8_t value) {
    if (!Fits(4))
      return false;
    StoreLe16(out.data() + position, static_cast<uint16_t>(count | kAlphaFillBit));
    out[position + 2] = value;
    out[position + 3] = value;
    position += 4;
    return true;
  }

  bool Literal(const uint8_t* bytes, uint32_t count) {
    if (!Fits(4 + count))
      return false;
    StoreLe32(out.data() + position, count);
    std::memcpy(out.data() + position + 4, bytes, count);
    position += 4 + count;
    return true;
  }

  bool Zeros(uint32_t count) {
    if (!Fits(count))
      return false;
    std::memset(out.data() + position, 0, count);
    position += count;
    return true;
  }
};

// The length of the literal starting at p: up to the next eight equal bytes
// in a row, rounded up to 4, or all n bytes when there are none.
//
// The search looks at the last byte of each candidate window first and walks
// back: a pair of unequal neighbours at k - 1, k rules out every window that
// holds both, so the next candidate starts at k. On literal data most windows
// fall at their first comparison and the search moves up to 7 bytes a step.
uint32_t LiteralLength(const uint8_t* p, uint32_t n) {
  uint32_t start = 0;
#if defined(__SSE2__)
  // Sixteen candidate windows at a time: bit k of pairs says that bytes
  // start + k and start + k + 1 are equal, and a window is seven such pairs
  // in a row. Alpha that flickers between two values (a dissolve) has too
  // many equal neighbours for the walk below to skip far.
  while (start + 33 <= n) {
    const auto* q = reinterpret_cast<const __m128i*>(p + start);
    const __m128i low = _mm_cmpeq_epi8(
        _mm_loadu_si128(q), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + start + 1)));
    const __m128i high = _mm_cmpeq_epi8(
        _mm_loadu_si128(q + 1), _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + start + 17)));
    const uint32_t pairs = static_cast<uint32_t>(_mm_movemask_epi8(low)) |
                           static_cast<uint32_t>(_mm_movemask_epi8(high)) << 16;
    uint32_t windows = pairs & pairs >> 1;  // pairs k, k + 1
    windows &= windows >> 2;                // k .. k + 3
    windows &= windows >> 3;                // k .. k + 6
    windows &= 0xFFFF;
    if (windows != 0)
      return RoundUp4(start + static_cast<uint32_t>(__builtin_ctz(windows)));
    start += 16;
  }
#endif
  while (start + 8 <= n) {
    uint32_t k = start + 7;
    while (k > start && p[k] == p[k - 1])
      --k;
    if (k == start)
      return RoundUp4(start);
    start = k;
  }
  return n;
}

// The length of the run of p[0] that starts at p, up to limit bytes
// (limit >= 1). Early and late in a wipe most of a field is one long run,
// which a byte at a time would crawl along.
uint32_t RunLength(const uint8_t* p, uint32_t limit) {
  uint32_t run = 1;
#if defined(__SSE2__)
  const __m128i value = _mm_set1_epi8(static_cast<char>(p[0]));
  while (run + 16 <= limit) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + run));
    const uint32_t equal = static_cast<uint32_t>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, value)));
    if (equal != 0xFFFF)
      return run + static_cast<uint32_t>(__builtin_ctz(~equal));
    run += 16;
  }
#endif
  while (run < limit && p[run] == p[0])
    ++run;
  return run;
}

}  // namespace

bool AlphaSegmentCursor::StartNew() {
  if (2 * (current + 2) > scratch.size())
    return false;
  ++current;
  Skip() = 0;
  Used() = 0;
  return true;
}

bool EncodeAlphaLine(const uint8_t* line, int32_t lineBytes, std::span<uint8_t> output,
                     uint32_t& position, AlphaSegmentCursor& segment) {
  if (segment.Used() != 0 && !segment.StartNew())
    return false;
  uint32_t n = lineBytes > 0 ? static_cast<uint32_t>(lineBytes) & ~3u : 0;
  LineWriter w{output, position};
  int32_t room = static_cast<int32_t>((kAlphaPageBytes - position % kAlphaPageBytes) & ~3u);
  const uint8_t* p = line;

  // Leaves the rest of the page unused; the segment holding what follows
  // passes over it.
  auto skipRestOfPage = [&]() {
    if (segment.Used() != 0 && !segment.StartNew())
      return false;
    if (!w.Zeros(static_cast<uint32_t>(room)))
      return false;
    segment.Skip() = static_cast<uint8_t>(segment.Skip() + room / 4);
    room = kPage;
    return true;
  };
  auto startPage = [&]() {
    room = kPage;
    return segment.StartNew();
  };

  while (n > 0) {
    uint32_t run = RunLength(p, n < kMaxFill + 3 ? n : kMaxFill + 3);
    run &= ~3u;
    if (run >= 8 || run == n) {
      if (room == 4 && OwnsWholePage(segment, room) && !skipRestOfPage())
        return false;
      if (!w.Fill(run, p[0]))
        return false;
      room -= 4;
      segment.Used() = static_cast<uint8_t>(segment.Used() + 1);
      p += run;
      n -= run;
    }
    if (room <= 0 && !startPage())
      return false;
    if (n == 0)
      break;

    uint32_t lit = LiteralLength(p, n);
    if (lit > 0) {
      for (;;) {
        const int32_t usable = OwnsWholePage(segment, room) ? room - 4 : room;
        if (usable < 8) {
          if (!skipRestOfPage())
            return false;
          continue;
        }
        if (static_cast<int64_t>(lit) + 4 <= usable)
          break;
        // Split: the first part ends exactly where the page's usable room does.
        const uint32_t piece = static_cast<uint32_t>(usable - 4);
        if (!w.Literal(p, piece))
          return false;
        segment.Used() = static_cast<uint8_t>(segment.Used() + usable / 4);
        p += piece;
        n -= piece;
        lit -= piece;
        room -= usable;
        if (!segment.StartNew())
          return false;
        if (room > 0) {  // the word kept free of a whole-page segment
          if (!w.Zeros(static_cast<uint32_t>(room)))
            return false;
          segment.Skip() = static_cast<uint8_t>(room / 4);
        }
        room = kPage;
      }
      if (!w.Literal(p, lit))
        return false;
      room -= static_cast<int32_t>(lit + 4);
      segment.Used() = static_cast<uint8_t>(segment.Used() + lit / 4 + 1);
      p += lit;
      n -= lit;
    }
    if (room <= 0 && !startPage())
      return false;
  }
  position = w.position;
  return true;
}

uint32_t EncodeAlphaField(std::span<const uint8_t> alpha, int32_t lineBytes, int32_t lines,
                          std::span<uint8_t> output, std::span<uint8_t> segmentScratch) {
  if (lineBytes < 0 || lines < 0 ||
      static_cast<uint64_t>(lineBytes) * static_cast<uint64_t>(lines) > alpha.size() ||
      output.size() < 8 || segmentScratch.size() < 2) {
    return 0;
  }
  // Positions are 32-bit; no field comes near that.
  if (output.size() > UINT32_MAX)
    output = output.first(UINT32_MAX);
  uint32_t position = 4;
  AlphaSegmentCursor segment{segmentScratch, 0};
  segment.Skip() = 1;  // the word that holds L
  segment.Used() = 0;
  for (int32_t i = 0; i < lines; ++i) {
    const uint8_t* line = alpha.data() + static_cast<size_t>(i) * static_cast<size_t>(lineBytes);
    if (!EncodeAlphaLine(line, lineBytes, output, position, segment))
      return 0;
  }

  const uint32_t runLength = RoundUp4(position);
  const size_t count = segment.current + (segment.Used() != 0 ? 1 : 0);
  const uint64_t end = static_cast<uint64_t>(runLength) + 4 + 2 * count;
  const uint64_t size = (end + 3) & ~3ull;
  if (size > output.size())
    return 0;
  std::memset(output.data() + position, 0, runLength - position);
  StoreLe32(output.data(), runLength);
  StoreLe32(output.data() + runLength, static_cast<uint32_t>(count));
  if (count > 0)
    std::memcpy(output.data() + runLength + 4, segmentScratch.data(), 2 * count);
  std::memset(output.data() + end, 0, size - end);
  return static_cast<uint32_t>(size);
}

size_t AlphaFieldLeast(int32_t lineBytes, int32_t lines) {
  // A line of fewer than 4 bytes encodes to nothing.
  const uint64_t perLine = lineBytes >= 4 ? 4 + 2 : 0;
  const uint64_t l = lines > 0 ? static_cast<uint64_t>(lines) : 0;
  return static_cast<size_t>((8 + perLine * l + 3) & ~3ull);
}

size_t AlphaFieldBound(int32_t lineBytes, int32_t lines) {
  const uint64_t n = lineBytes > 0 ? static_cast<uint64_t>(lineBytes) & ~3ull : 0;
  const uint64_t l = lines > 0 ? static_cast<uint64_t>(lines) : 0;
  // No operation is more than twice the bytes it stands for, and each page
  // loses at most 8 bytes to a skipped tail.
  const uint64_t area = 4 + 2 * n * l;
  const uint64_t pages = area / 1000 + 2;
  return static_cast<size_t>(area + 12 * pages + 4 + 2 * (l + pages + 2) + 4);
}

size_t AlphaScratchBound(int32_t lineBytes, int32_t lines) {
  const uint64_t n = lineBytes > 0 ? static_cast<uint64_t>(lineBytes) & ~3ull : 0;
  const uint64_t l = lines > 0 ? static_cast<uint64_t>(lines) : 0;
  const uint64_t pages = (4 + 2 * n * l) / 1000 + 2;
  return static_cast<size_t>(2 * (l + pages + 2));
}
