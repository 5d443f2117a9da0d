#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// Maps a pattern value to an alpha value for one wipe position p and edge
// width w: 0 at or below p - w/2, a linear ramp w values wide, 255 above it.
// Only the low byte of an entry is used. Scratch storage: every user keeps
// its own and rebuilds it before every use.
using TransitionTable = std::array<int32_t, 256>;

void BuildTransitionTable(TransitionTable& table, int32_t position, int32_t width);

// destination[k] = low byte of table[pattern[k]] for k < count.
void ApplyTransitionTable(uint8_t* destination, const uint8_t* pattern,
                          const TransitionTable& table, size_t count);

// Writes count alpha bytes (the table applied to field) into the ring of
// fifoSize bytes at fifoBase, starting at offset and continuing at 0 past the
// ring's end. A field ending exactly at the end is written in one piece.
//
// Offsets and counts that are not multiples of 4 are handled byte-exactly:
// exactly count bytes are written and the split falls on the exact byte of
// the ring's end. False, writing nothing, unless offset < fifoSize and
// count <= fifoSize.
bool WriteFieldToFifo(uint8_t* fifoBase, size_t offset, size_t fifoSize, size_t count,
                      const uint8_t* field, const TransitionTable& table);

// The byte lookup behind both functions, out[k] = lut[in[k]], comes in
// kernels for several processor generations; every one gives the same bytes
// and the fastest this processor runs is used. Named here so tests can hold
// each kernel against the plain one.
enum class LookupKernel { kPlain, kAvx2, kAvx512Vbmi };
bool LookupKernelAvailable(LookupKernel kernel);
LookupKernel ActiveLookupKernel();
// With the given kernel, or the plain one when this processor lacks it.
// out and in may be the same buffer, but must not overlap otherwise.
void LookUpBytes(LookupKernel kernel, uint8_t* out, const uint8_t* in, const uint8_t* lut,
                 size_t count);
