// Feeds arbitrary bytes to the mask export's picture reader as a file. A
// picture it accepts must be exactly what its header announced, read into
// the export's own buffer size, and its 128 mask lines must be the first
// byte of each pixel of the right picture line, counted from the top.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "avi/export.h"
#include "avi/mask_picture.h"
#include "fuzz/fuzz_input_file.h"
#include "support/error_codes.h"
#include "wipe/targa_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FuzzInputFile input("mask.tga");
  static std::vector<uint8_t> pixels(kMaskImageCapacity);
  if (!input.Write(data, size))
    return 0;
  MaskPicture mask;
  mask.width = -1;  // must be cleared on every path
  const int32_t code = ReadMaskPicture(input.Path(), pixels, mask);
  input.Remove();

  if (code != kOk) {
    if (code != kErrCannotRead && code != kErrBadFile)
      __builtin_trap();
    if (mask.width != 0 || mask.height != 0 || mask.bytesPerPixel != 0 || mask.pixelBytes != 0)
      __builtin_trap();
    // A file too short for its header can only be short.
    if (size < kMaskHeaderSize && code != kErrCannotRead)
      __builtin_trap();
    return 0;
  }
  if (size < kMaskHeaderSize)
    __builtin_trap();
  const TargaHeader header = LoadTargaHeader(std::span(data, size).first<kTargaHeaderSize>());
  const int32_t width = header.width;
  const int32_t height = header.height;
  const int32_t depth = header.pixelDepth;
  if (mask.width != width || mask.height != height || mask.bytesPerPixel * 8 != depth)
    __builtin_trap();
  if (width < 1 || width > kExportMaxWidth || height < kMaskPictureMinLines ||
      (depth != 24 && depth != 32)) {
    __builtin_trap();
  }
  const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(mask.bytesPerPixel);
  if (mask.pixelBytes != stride * static_cast<size_t>(height) || mask.pixelBytes > pixels.size() ||
      kMaskHeaderSize + mask.pixelBytes > size) {
    __builtin_trap();
  }

  // Exactly the lines' size, so a line written past the end is caught.
  std::vector<uint8_t> lines(static_cast<size_t>(kMaskPictureMinLines) *
                             static_cast<size_t>(width));
  ExtractMaskLines(mask, pixels, lines);
  const uint8_t* stored = data + kMaskHeaderSize;
  for (int32_t m = 0; m < kMaskPictureMinLines; ++m) {
    const uint8_t* from = stored + static_cast<size_t>(height - 1 - m) * stride;
    const size_t line = static_cast<size_t>((m & 1) * kMaskFieldLines + m / 2);
    for (int32_t x = 0; x < width; ++x) {
      if (lines[line * static_cast<size_t>(width) + static_cast<size_t>(x)] !=
          from[static_cast<size_t>(x) * static_cast<size_t>(mask.bytesPerPixel)]) {
        __builtin_trap();
      }
    }
  }
  return 0;
}
