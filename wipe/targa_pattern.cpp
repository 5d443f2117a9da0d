#include "wipe/targa_pattern.h"

#include <new>

#include "support/error_codes.h"
#include "wipe/targa_format.h"

int32_t ReadTargaPattern(BufferedFile& file, GreyImage& pattern) {
  pattern.Release();

  uint8_t header[kTargaHeaderSize];
  if (!file.ReadExact(header, sizeof header))
    return kErrCannotRead;

  const TargaHeader h = LoadTargaHeader(header);
  const uint16_t width = h.width;
  const uint16_t height = h.height;
  const uint8_t depth = h.pixelDepth;
  if (h.idLength != 0 || h.colourMapType != 0 || h.imageType != kTargaTrueColour)
    return kErrBadFile;
  if (!((depth == 24 && h.descriptor == 0) || (depth == 32 && h.descriptor == 8)))
    return kErrBadFile;
  // An empty picture has nothing to wipe and nothing to scale.
  if (width == 0 || height == 0)
    return kErrBadFile;

  const size_t pixelBytes = depth / 8;
  const size_t rowBytes = width * pixelBytes;
  // A file too short for its own pixel data would fail at the cut anyway;
  // failing before the allocation keeps a lying header from claiming 4 GB.
  const uint64_t available = file.Size() > file.Tell() ? file.Size() - file.Tell() : 0;
  if (available < static_cast<uint64_t>(rowBytes) * height)
    return kErrCannotRead;

  std::vector<uint8_t> row;
  try {
    row.resize(static_cast<size_t>(width) * 4);
    pattern.pixels.resize(static_cast<size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    pattern.Release();
    return kErrNoMemory;
  }

  for (int32_t fileRow = 0; fileRow < height; ++fileRow) {
    if (!file.ReadExact(row.data(), rowBytes)) {
      pattern.Release();
      return kErrCannotRead;
    }
    uint8_t* out = pattern.pixels.data() + static_cast<size_t>(height - 1 - fileRow) * width;
    const uint8_t* last = row.data() + pixelBytes - 1;
    for (int32_t x = 0; x < width; ++x)
      out[x] = last[x * pixelBytes];
  }
  pattern.width = width;
  pattern.height = height;
  return kOk;
}
