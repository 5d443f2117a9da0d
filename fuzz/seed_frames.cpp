#include "fuzz/seed_frames.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "avi/alpha_encoder.h"
#include "avi/device_frame.h"

SeedBytes SeedAlpha(int32_t lineBytes, int32_t lines, int kind) {
  SeedBytes a(static_cast<size_t>(lineBytes) * static_cast<size_t>(lines));
  uint32_t x = 2463534242u + static_cast<uint32_t>(kind);
  for (int32_t y = 0; y < lines; ++y) {
    for (int32_t i = 0; i < lineBytes; ++i) {
      uint8_t& v = a[static_cast<size_t>(y) * lineBytes + i];
      switch (kind) {
        case 0:
          v = 0;
          break;
        case 1:  // a soft edge moving across the lines
          v = static_cast<uint8_t>(std::clamp((i - lineBytes / 3 - 4 * y) * 8, 0, 255));
          break;
        case 2:  // a disc
          v = static_cast<uint8_t>(
              std::min(255.0, std::hypot(i - lineBytes / 2.0, (y - lines / 2.0) * 4) * 2));
          break;
        default:
          x ^= x << 13;
          x ^= x >> 17;
          x ^= x << 5;
          v = static_cast<uint8_t>(x);
      }
    }
  }
  return a;
}

SeedBytes SeedAlphaField(int32_t lineBytes, int32_t lines, int kind) {
  const SeedBytes alpha = SeedAlpha(lineBytes, lines, kind);
  SeedBytes out(AlphaFieldBound(lineBytes, lines));
  SeedBytes scratch(AlphaScratchBound(lineBytes, lines));
  out.resize(EncodeAlphaField(alpha, lineBytes, lines, out, scratch));
  return out;
}

SeedBytes SeedDeviceFrame(uint32_t seed, int32_t lineBytes, int32_t lines, bool withMask) {
  SeedBytes buffer(kSourceFrameCapacity);
  DeviceFrameBuilder builder(buffer);
  for (const uint32_t field : {0u, kSecondFieldBit}) {
    SeedBytes video = {0xFF, 0xD8, 0xFF, 0xDB};
    for (uint32_t i = 0; i < 20 + seed % 7; ++i)
      video.push_back(static_cast<uint8_t>(seed * 13 + i * 29));
    video.insert(video.end(), {0xFF, 0xD9});
    builder.AppendBlock(kVideoFieldBlock | field, video);
    if (withMask) {
      const SeedBytes mask = SeedAlpha(16, 64, 1);
      builder.AppendBlock(kMaskFieldBlock | field, mask);
    }
    if (lines > 0) {
      const SeedBytes encoded =
          SeedAlphaField(lineBytes, lines, static_cast<int>(seed + (field ? 1 : 0)) % 4);
      const std::span<uint8_t> room = builder.BeginBlock(kAlphaFieldBlock | field);
      std::fill_n(room.begin(), kAlphaLeadBytes, 0);
      std::copy(encoded.begin(), encoded.end(), room.begin() + kAlphaLeadBytes);
      builder.EndBlock(kAlphaLeadBytes + encoded.size());
    }
  }
  const std::span<const uint8_t> frame = builder.Frame();
  return SeedBytes(frame.begin(), frame.end());
}
