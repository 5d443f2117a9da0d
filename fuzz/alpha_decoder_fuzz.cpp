// Two properties on one input:
//  - as an encoded field (after two bytes that choose the line width and the
//    line count), the decoder either refuses it or fills exactly the lines
//    asked for, never reading or writing outside its spans;
//  - as the alpha of a field (the same bytes after the first, lines of the
//    chosen width), the encoder fits in its bounds and the decoder gives back
//    the first lineBytes / 4 * 4 bytes of every line, and any buffer too
//    small for the result is refused.
// The buffers are heap blocks of exact size, so any overrun is caught.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "avi/alpha_decoder.h"
#include "avi/alpha_encoder.h"
#include "fuzz/alpha_fuzz_input.h"
#include "support/error_codes.h"

namespace {

size_t Rounded(int32_t lineBytes) {
  return static_cast<size_t>(lineBytes) & ~size_t{3};
}

void DecodeArbitrary(std::span<const uint8_t> encoded, int32_t lineBytes, int32_t lines) {
  const size_t n = Rounded(lineBytes);
  std::vector<uint8_t> out(n * static_cast<size_t>(lines));
  AlphaFieldLayout layout;
  const int32_t code = DecodeAlphaField(encoded, lineBytes, lines, out, &layout);
  if (code != kOk && code != kErrBadFile)
    __builtin_trap();
  if (code != kOk)
    return;
  if (layout.encodedSize != encoded.size() || layout.runLengthBytes % 4 != 0 ||
      layout.runLengthBytes + 4 + 2 * layout.segments.size() > encoded.size()) {
    __builtin_trap();
  }
  for (const AlphaSegment& s : layout.segments) {
    if (s.usedWords == 0)
      __builtin_trap();
  }
  // Too small an output is refused before anything is written.
  if (!out.empty()) {
    std::vector<uint8_t> shorter(out.size() - 1);
    if (DecodeAlphaField(encoded, lineBytes, lines, shorter) != kErrBadParameter)
      __builtin_trap();
  }
}

void RoundTrip(std::span<const uint8_t> alpha, int32_t lineBytes) {
  // Enough lines to cross several pages, and not so many that one input
  // takes long.
  int32_t lines = 0;
  if (lineBytes > 0)
    lines = static_cast<int32_t>(alpha.size() / static_cast<size_t>(lineBytes));
  else
    lines = static_cast<int32_t>(alpha.size() % 7);
  const size_t bound = AlphaFieldBound(lineBytes, lines);
  std::vector<uint8_t> encoded(bound);
  std::vector<uint8_t> scratch(AlphaScratchBound(lineBytes, lines));
  const uint32_t size = EncodeAlphaField(alpha, lineBytes, lines, encoded, scratch);
  if (size < 8 || size % 4 != 0 || size > bound)
    __builtin_trap();

  const size_t n = Rounded(lineBytes);
  std::vector<uint8_t> decoded(n * static_cast<size_t>(lines));
  if (DecodeAlphaField(std::span(encoded).first(size), lineBytes, lines, decoded) != kOk)
    __builtin_trap();
  for (int32_t y = 0; y < lines; ++y) {
    const uint8_t* line = alpha.data() + static_cast<size_t>(y) * static_cast<size_t>(lineBytes);
    if (n > 0 && std::memcmp(decoded.data() + static_cast<size_t>(y) * n, line, n) != 0)
      __builtin_trap();
  }

  // The encoder needs no more room than its result, refuses one byte less
  // without writing past it, and gives the same bytes every time.
  std::vector<uint8_t> exact(size);
  if (EncodeAlphaField(alpha, lineBytes, lines, exact, scratch) != size ||
      std::memcmp(exact.data(), encoded.data(), size) != 0) {
    __builtin_trap();
  }
  std::vector<uint8_t> tight(size - 1);
  if (EncodeAlphaField(alpha, lineBytes, lines, tight, scratch) != 0)
    __builtin_trap();

  // Running out of room anywhere on the way, in the output or in the
  // segment list, is refused too; the cut points come from the input.
  const uint8_t pick = alpha.empty() ? 0 : alpha[alpha.size() / 2];
  std::vector<uint8_t> partial(size * pick / 256);
  if (EncodeAlphaField(alpha, lineBytes, lines, partial, scratch) != 0)
    __builtin_trap();
  std::vector<uint8_t> fewSegments(scratch.size() * pick / 256);
  const uint32_t withFew = EncodeAlphaField(alpha, lineBytes, lines, exact, fewSegments);
  if (withFew != 0 && (withFew != size || std::memcmp(exact.data(), encoded.data(), size) != 0))
    __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2)
    return 0;
  const int32_t lineBytes = kAlphaFuzzLineWidths[data[0] % std::size(kAlphaFuzzLineWidths)];
  const int32_t lines = data[1];
  DecodeArbitrary(std::span(data + 2, size - 2), lineBytes, lines);
  RoundTrip(std::span(data + 1, size - 1), lineBytes);
  return 0;
}
