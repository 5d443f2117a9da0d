#include "avi/avi_format.h"

namespace {

// The fields of a record that may be cut short: those that do not fit whole
// read as 0 and are not written.
uint16_t Le16Within(std::span<const uint8_t> in, size_t at) {
  return at + 2 <= in.size() ? LoadLe16(in.data() + at) : 0;
}
uint32_t Le32Within(std::span<const uint8_t> in, size_t at) {
  return at + 4 <= in.size() ? LoadLe32(in.data() + at) : 0;
}
void StoreLe16Within(std::span<uint8_t> out, size_t at, uint16_t v) {
  if (at + 2 <= out.size())
    StoreLe16(out.data() + at, v);
}
void StoreLe32Within(std::span<uint8_t> out, size_t at, uint32_t v) {
  if (at + 4 <= out.size())
    StoreLe32(out.data() + at, v);
}

}  // namespace

std::string FourCCText(uint32_t code) {
  std::string text(4, ' ');
  for (int i = 0; i < 4; ++i) {
    const char c = static_cast<char>(code >> (8 * i));
    text[i] = (c >= 0x20 && c < 0x7F) ? c : '?';
  }
  return text;
}

uint32_t StreamChunkId(uint32_t stream, uint8_t first, uint8_t second) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  const uint8_t high = static_cast<uint8_t>(kHex[(stream >> 4) & 0xF]);
  const uint8_t low = static_cast<uint8_t>(kHex[stream & 0xF]);
  return static_cast<uint32_t>(high) | static_cast<uint32_t>(low) << 8 |
         static_cast<uint32_t>(first) << 16 | static_cast<uint32_t>(second) << 24;
}

void StoreMainHeader(const MainHeader& h, uint8_t* out) {
  StoreLe32(out + 0, h.microSecPerFrame);
  StoreLe32(out + 4, h.maxBytesPerSec);
  StoreLe32(out + 8, h.paddingGranularity);
  StoreLe32(out + 12, h.flags);
  StoreLe32(out + 16, h.totalFrames);
  StoreLe32(out + 20, h.initialFrames);
  StoreLe32(out + 24, h.streams);
  StoreLe32(out + 28, h.suggestedBufferSize);
  StoreLe32(out + 32, h.width);
  StoreLe32(out + 36, h.height);
  for (int i = 0; i < 4; ++i)
    StoreLe32(out + 40 + 4 * i, h.reserved[i]);
}

MainHeader LoadMainHeader(const uint8_t* in) {
  MainHeader h;
  h.microSecPerFrame = LoadLe32(in + 0);
  h.maxBytesPerSec = LoadLe32(in + 4);
  h.paddingGranularity = LoadLe32(in + 8);
  h.flags = LoadLe32(in + 12);
  h.totalFrames = LoadLe32(in + 16);
  h.initialFrames = LoadLe32(in + 20);
  h.streams = LoadLe32(in + 24);
  h.suggestedBufferSize = LoadLe32(in + 28);
  h.width = LoadLe32(in + 32);
  h.height = LoadLe32(in + 36);
  for (int i = 0; i < 4; ++i)
    h.reserved[i] = LoadLe32(in + 40 + 4 * i);
  return h;
}

void StoreStreamHeader(const StreamHeader& h, uint8_t* out) {
  StoreLe32(out + 0, h.type);
  StoreLe32(out + 4, h.handler);
  StoreLe32(out + 8, h.flags);
  StoreLe16(out + 12, h.priority);
  StoreLe16(out + 14, h.language);
  StoreLe32(out + 16, h.initialFrames);
  StoreLe32(out + 20, h.scale);
  StoreLe32(out + 24, h.rate);
  StoreLe32(out + 28, h.start);
  StoreLe32(out + 32, h.length);
  StoreLe32(out + 36, h.suggestedBufferSize);
  StoreLe32(out + 40, h.quality);
  StoreLe32(out + 44, h.sampleSize);
  StoreLe32(out + 48, static_cast<uint32_t>(h.frameLeft));
  StoreLe32(out + 52, static_cast<uint32_t>(h.frameTop));
  StoreLe32(out + 56, static_cast<uint32_t>(h.frameRight));
  StoreLe32(out + 60, static_cast<uint32_t>(h.frameBottom));
}

StreamHeader LoadStreamHeader(const uint8_t* in) {
  StreamHeader h;
  h.type = LoadLe32(in + 0);
  h.handler = LoadLe32(in + 4);
  h.flags = LoadLe32(in + 8);
  h.priority = LoadLe16(in + 12);
  h.language = LoadLe16(in + 14);
  h.initialFrames = LoadLe32(in + 16);
  h.scale = LoadLe32(in + 20);
  h.rate = LoadLe32(in + 24);
  h.start = LoadLe32(in + 28);
  h.length = LoadLe32(in + 32);
  h.suggestedBufferSize = LoadLe32(in + 36);
  h.quality = LoadLe32(in + 40);
  h.sampleSize = LoadLe32(in + 44);
  h.frameLeft = static_cast<int32_t>(LoadLe32(in + 48));
  h.frameTop = static_cast<int32_t>(LoadLe32(in + 52));
  h.frameRight = static_cast<int32_t>(LoadLe32(in + 56));
  h.frameBottom = static_cast<int32_t>(LoadLe32(in + 60));
  return h;
}

void StoreIndexEntry(const IndexEntry& e, uint8_t* out) {
  StoreLe32(out + 0, e.chunkId);
  StoreLe32(out + 4, e.flags);
  StoreLe32(out + 8, e.offset);
  StoreLe32(out + 12, e.length);
}

IndexEntry LoadIndexEntry(const uint8_t* in) {
  return IndexEntry{LoadLe32(in + 0), LoadLe32(in + 4), LoadLe32(in + 8), LoadLe32(in + 12)};
}

void StoreBitmapInfoHeader(const BitmapInfoHeader& h, std::span<uint8_t> out) {
  StoreLe32Within(out, 0, h.size);
  StoreLe32Within(out, 4, static_cast<uint32_t>(h.width));
  StoreLe32Within(out, 8, static_cast<uint32_t>(h.height));
  StoreLe16Within(out, 12, h.planes);
  StoreLe16Within(out, 14, h.bitCount);
  StoreLe32Within(out, 16, h.compression);
  StoreLe32Within(out, 20, h.sizeImage);
  StoreLe32Within(out, 24, static_cast<uint32_t>(h.xPelsPerMeter));
  StoreLe32Within(out, 28, static_cast<uint32_t>(h.yPelsPerMeter));
  StoreLe32Within(out, 32, h.clrUsed);
  StoreLe32Within(out, 36, h.clrImportant);
}

BitmapInfoHeader LoadBitmapInfoHeader(std::span<const uint8_t> in) {
  BitmapInfoHeader h;
  h.size = Le32Within(in, 0);
  h.width = static_cast<int32_t>(Le32Within(in, 4));
  h.height = static_cast<int32_t>(Le32Within(in, 8));
  h.planes = Le16Within(in, 12);
  h.bitCount = Le16Within(in, 14);
  h.compression = Le32Within(in, 16);
  h.sizeImage = Le32Within(in, 20);
  h.xPelsPerMeter = static_cast<int32_t>(Le32Within(in, 24));
  h.yPelsPerMeter = static_cast<int32_t>(Le32Within(in, 28));
  h.clrUsed = Le32Within(in, 32);
  h.clrImportant = Le32Within(in, 36);
  return h;
}

BitmapInfoHeader MakeBitmapInfoHeader(int32_t width, int32_t height, uint16_t bitCount,
                                      uint32_t compression) {
  BitmapInfoHeader h;
  h.size = kBitmapInfoSize;
  h.width = width;
  h.height = height;
  h.planes = 1;
  h.bitCount = bitCount;
  h.compression = compression;
  return h;
}
