#include "wipe/targa_format.h"

#include "support/little_endian.h"

void StoreTargaHeader(const TargaHeader& h, std::span<uint8_t, kTargaHeaderSize> out) {
  out[0] = h.idLength;
  out[1] = h.colourMapType;
  out[2] = h.imageType;
  StoreLe16(out.subspan<3, 2>(), h.colourMapFirst);
  StoreLe16(out.subspan<5, 2>(), h.colourMapLength);
  out[7] = h.colourMapEntryBits;
  StoreLe16(out.subspan<8, 2>(), h.xOrigin);
  StoreLe16(out.subspan<10, 2>(), h.yOrigin);
  StoreLe16(out.subspan<12, 2>(), h.width);
  StoreLe16(out.subspan<14, 2>(), h.height);
  out[16] = h.pixelDepth;
  out[17] = h.descriptor;
}

TargaHeader LoadTargaHeader(std::span<const uint8_t, kTargaHeaderSize> in) {
  TargaHeader h;
  h.idLength = in[0];
  h.colourMapType = in[1];
  h.imageType = in[2];
  h.colourMapFirst = LoadLe16(in.subspan<3, 2>());
  h.colourMapLength = LoadLe16(in.subspan<5, 2>());
  h.colourMapEntryBits = in[7];
  h.xOrigin = LoadLe16(in.subspan<8, 2>());
  h.yOrigin = LoadLe16(in.subspan<10, 2>());
  h.width = LoadLe16(in.subspan<12, 2>());
  h.height = LoadLe16(in.subspan<14, 2>());
  h.pixelDepth = in[16];
  h.descriptor = in[17];
  return h;
}
