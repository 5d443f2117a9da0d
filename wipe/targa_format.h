#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// The header every TARGA file begins with, with its on-disk layout. Numbers
// are little-endian on disk; the picture's pixels (or its ID field and
// colour map, when it has them) follow it.
struct TargaHeader {
  uint8_t idLength = 0;            // ID Length
  uint8_t colourMapType = 0;       // Color Map Type
  uint8_t imageType = 0;           // Image Type
  uint16_t colourMapFirst = 0;     // colour map: First Entry Index
  uint16_t colourMapLength = 0;    // colour map: Color map Length
  uint8_t colourMapEntryBits = 0;  // colour map: Color map Entry Size
  uint16_t xOrigin = 0;            // image: X-origin of Image
  uint16_t yOrigin = 0;            // image: Y-origin of Image
  uint16_t width = 0;              // image: Image Width
  uint16_t height = 0;             // image: Image Height
  uint8_t pixelDepth = 0;          // image: Pixel Depth
  uint8_t descriptor = 0;          // image: Image Descriptor

  bool operator==(const TargaHeader&) const = default;
};
inline constexpr size_t kTargaHeaderSize = 18;

// Image Type of an uncompressed true-colour picture, the only kind read here.
inline constexpr uint8_t kTargaTrueColour = 2;

void StoreTargaHeader(const TargaHeader& header, std::span<uint8_t, kTargaHeaderSize> out);
TargaHeader LoadTargaHeader(std::span<const uint8_t, kTargaHeaderSize> in);
