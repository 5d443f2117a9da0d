#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Little-endian loads and stores, byte by byte, so they hold on any host and
// at any alignment. Every file format the program reads or writes (RIFF and
// AVI, TARGA, the card's frames) keeps its numbers this way.

inline uint16_t LoadLe16(const uint8_t* p) {
  return static_cast<uint16_t>(p[0] | p[1] << 8);
}
inline uint32_t LoadLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
inline uint64_t LoadLe64(const uint8_t* p) {
  return static_cast<uint64_t>(LoadLe32(p)) | static_cast<uint64_t>(LoadLe32(p + 4)) << 32;
}
inline void StoreLe16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void StoreLe32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}

// The same over spans of exactly the field's size: a record taken apart with
// subspan<offset, size>() cannot read or write past its end.
inline uint16_t LoadLe16(std::span<const uint8_t, 2> p) {
  return LoadLe16(p.data());
}
inline uint32_t LoadLe32(std::span<const uint8_t, 4> p) {
  return LoadLe32(p.data());
}
inline void StoreLe16(std::span<uint8_t, 2> p, uint16_t v) {
  StoreLe16(p.data(), v);
}
inline void StoreLe32(std::span<uint8_t, 4> p, uint32_t v) {
  StoreLe32(p.data(), v);
}
