#pragma once

// Device frames and alpha fields for the seed corpora, made by the
// program's own builder and encoder.

#include <cstdint>
#include <vector>

using SeedBytes = std::vector<uint8_t>;

// Alpha of lines x lineBytes with the shapes a wipe has: kind 0 is flat, 1 a
// soft edge moving across the lines, 2 a disc, anything else noise.
SeedBytes SeedAlpha(int32_t lineBytes, int32_t lines, int kind);
// That alpha, encoded as the card reads it; empty when the encoder refuses.
SeedBytes SeedAlphaField(int32_t lineBytes, int32_t lines, int kind);
// A device frame as the export writes it: per field the card's video (a
// stand-in of JPEG markers), with withMask a mask block, and when lines is
// not 0 the field's alpha.
SeedBytes SeedDeviceFrame(uint32_t seed, int32_t lineBytes, int32_t lines, bool withMask = false);
