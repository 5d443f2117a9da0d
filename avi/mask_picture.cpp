#include "avi/mask_picture.h"

#include "avi/export.h"
#include "support/buffered_file.h"
#include "support/error_codes.h"

int32_t ReadMaskPicture(const std::string& path, std::span<uint8_t> pixels, MaskPicture& mask) {
  mask = MaskPicture{};
  BufferedFile file;
  if (!file.Open(path))
    return kErrNoFile;
  uint8_t header[kMaskHeaderSize];
  if (!file.ReadExact(header, sizeof header))
    return kErrCannotRead;
  const TargaHeader h = LoadTargaHeader(header);
  const int32_t width = h.width;
  const int32_t height = h.height;
  const int32_t depth = h.pixelDepth;
  if (width == 0 || width > kExportMaxWidth || height < kMaskPictureMinLines)
    return kErrBadFile;
  if (depth != 24 && depth != 32)
    return kErrBadFile;
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height) * (depth / 8);
  if (bytes > pixels.size())
    return kErrBadFile;
  if (!file.ReadExact(pixels.data(), bytes))
    return kErrCannotRead;
  mask.width = width;
  mask.height = height;
  mask.bytesPerPixel = depth / 8;
  mask.pixelBytes = bytes;
  return kOk;
}

void ExtractMaskLines(const MaskPicture& mask, std::span<const uint8_t> pixels,
                      std::span<uint8_t> lines) {
  const size_t width = static_cast<size_t>(mask.width);
  const size_t stride = width * static_cast<size_t>(mask.bytesPerPixel);
  for (int32_t m = 0; m < kMaskPictureMinLines; ++m) {
    // Picture line m from the top is stored line height - 1 - m.
    const uint8_t* from = pixels.data() + static_cast<size_t>(mask.height - 1 - m) * stride;
    const int32_t field = m & 1;
    uint8_t* to = lines.data() + (static_cast<size_t>(field * kMaskFieldLines) + m / 2) * width;
    for (size_t x = 0; x < width; ++x)
      to[x] = from[x * static_cast<size_t>(mask.bytesPerPixel)];
  }
}
