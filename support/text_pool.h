#pragma once

#include <cstdint>

// A ring of short text buffers for texts built on the fly (decimal numbers,
// appended extensions). Each request takes the next buffer, so a text stays
// valid for the next 31 requests. Main thread only.
inline constexpr int kTextPoolBuffers = 32;
inline constexpr int kTextPoolBufferSize = 256;

// The next buffer of the ring, kTextPoolBufferSize bytes, emptied.
char* NextTextBuffer();

// The decimal text of value. A positive width pads on the left with blanks
// to that many characters, a negative one with zeros to -width characters.
const char* IntToText(int32_t value, int32_t width = 0);
