#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

// Turns an encoded alpha field (see alpha_encoder.h) back into its lines the
// way the card reads it: segment by segment, passing over the skipped words
// and running the operations of the used ones. It accepts only encodings the
// card can read unambiguously, so it doubles as a checker of the encoder and
// of fields found in files.

struct AlphaSegment {
  uint8_t skipWords = 0;
  uint8_t usedWords = 0;
};

// What the decoder saw, for inspection.
struct AlphaFieldLayout {
  uint32_t runLengthBytes = 0;  // L
  std::vector<AlphaSegment> segments;
  size_t encodedSize = 0;
};

// Decodes lines lines into out, each lineBytes rounded down to a multiple of
// 4 bytes, one after the other. encoded must be exactly the encoded field
// (as long as the encoder's result). 0; kErrBadParameter when out is too
// small or an argument is negative; kErrBadFile when the encoding is
// inconsistent:
//   - L or S do not fit the size, or L is not a multiple of 4;
//   - a segment is empty, crosses a page, runs past L, or (other than the
//     first, which passes over L) follows a skip that does not end at a page;
//   - a line does not begin at a segment, continues into a segment that does
//     not begin a page, or ends inside one;
//   - an operation is malformed (fill count 0 or not a multiple of 4, the two
//     value bytes different, literal length 0 or not a multiple of 4), runs
//     past its segment or produces more than its line needs;
//   - segments or words are left over after the last line.
int32_t DecodeAlphaField(std::span<const uint8_t> encoded, int32_t lineBytes, int32_t lines,
                         std::span<uint8_t> out, AlphaFieldLayout* layout = nullptr);
