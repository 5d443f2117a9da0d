#include "wipe/targa_writer.h"

#include <vector>

#include "support/error_codes.h"
#include "support/stdio_file.h"
#include "wipe/targa_format.h"

namespace {

bool Writable(const GreyImage& image, int32_t depth) {
  return (depth == 24 || depth == 32) && image.width > 0 && image.height > 0 &&
         image.width <= 0xFFFF && image.height <= 0xFFFF &&
         image.pixels.size() == static_cast<size_t>(image.width) * image.height;
}

}  // namespace

int32_t WriteTargaGreyTo(std::FILE* file, const GreyImage& image, int32_t depth) {
  if (!file || !Writable(image, depth))
    return kErrBadParameter;
  TargaHeader h;
  h.imageType = kTargaTrueColour;
  h.width = static_cast<uint16_t>(image.width);
  h.height = static_cast<uint16_t>(image.height);
  h.pixelDepth = static_cast<uint8_t>(depth);
  h.descriptor = depth == 32 ? 8 : 0;  // 8 attribute bits, bottom-left origin
  uint8_t header[kTargaHeaderSize];
  StoreTargaHeader(h, header);

  const size_t pixelBytes = static_cast<size_t>(depth / 8);
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * pixelBytes);
  bool ok = std::fwrite(header, 1, sizeof header, file) == sizeof header;
  for (int32_t y = image.height - 1; ok && y >= 0; --y) {
    const uint8_t* in = image.pixels.data() + static_cast<size_t>(y) * image.width;
    for (int32_t x = 0; x < image.width; ++x) {
      for (size_t c = 0; c < pixelBytes; ++c)
        row[x * pixelBytes + c] = in[x];
    }
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  return ok ? kOk : kErrCannotWrite;
}

int32_t WriteTargaGrey(const std::string& path, const GreyImage& image, int32_t depth) {
  if (!Writable(image, depth))
    return kErrBadParameter;
  StdioFile file(std::fopen(path.c_str(), "wb"));
  if (!file)
    return kErrCannotWrite;
  bool ok = WriteTargaGreyTo(file.get(), image, depth) == kOk;
  ok = CloseChecked(file) && ok;
  if (!ok) {
    std::remove(path.c_str());
    return kErrCannotWrite;
  }
  return kOk;
}
