#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The run-length form in which the card reads one field of alpha, in pages
// of 1024 bytes (all values little-endian):
//   0      L, the length of the run-length area including these 4 bytes
//   4      operations, 4-byte aligned, none crossing a page boundary:
//            fill     16-bit count | 0x8000, the value byte twice
//            literal  32-bit n (a multiple of 4), then n bytes of the line
//   L      S, the number of segments
//   L + 4  S records of (skip words, used words), one byte each
//          zero padding to a multiple of 4
// A segment tells the card how many 32-bit words to pass over and how many
// to take next. Every line starts a segment, and so does every page.
// Bytes the card passes over are written as zero, so equal input gives equal
// output.

inline constexpr uint32_t kAlphaPageBytes = 1024;
inline constexpr uint16_t kAlphaFillBit = 0x8000;

// The segment list while it is built: records of two bytes in a caller's
// scratch buffer, the last of them the current segment.
struct AlphaSegmentCursor {
  std::span<uint8_t> scratch;
  size_t current = 0;  // record number of the current segment

  uint8_t& Skip() { return scratch[2 * current]; }
  uint8_t& Used() { return scratch[2 * current + 1]; }
  // Starts the next record as (0, 0); false when the scratch is full.
  bool StartNew();
};

// Appends the operations of one line at output + position and advances
// position and the cursor. Only the first lineBytes rounded down to a
// multiple of 4 bytes are encoded. False when output or scratch has no room
// for them (what was appended is then meaningless).
bool EncodeAlphaLine(const uint8_t* line, int32_t lineBytes, std::span<uint8_t> output,
                     uint32_t& position, AlphaSegmentCursor& segment);

// Encodes lines lines of lineBytes bytes each, following each other in
// alpha, into output; segmentScratch holds the segment list while it is
// built (the export's 110592 bytes hold more than any field needs). Returns
// the encoded size, a multiple of 4 and at least 8, or 0 when the input is
// shorter than lines x lineBytes or output or scratch are too small.
uint32_t EncodeAlphaField(std::span<const uint8_t> alpha, int32_t lineBytes, int32_t lines,
                          std::span<uint8_t> output, std::span<uint8_t> segmentScratch);

// The fewest bytes EncodeAlphaField can give for a field: L and S, and per
// line at least one operation and one segment record.
size_t AlphaFieldLeast(int32_t lineBytes, int32_t lines);

// Room that always suffices for EncodeAlphaField's output and scratch.
size_t AlphaFieldBound(int32_t lineBytes, int32_t lines);
size_t AlphaScratchBound(int32_t lineBytes, int32_t lines);
