#include "cli/pgm_writer.h"

#include <limits>
#include <vector>

#include "support/error_codes.h"
#include "support/stdio_file.h"

namespace {

bool Fills(int32_t width, int32_t height, size_t samples) {
  return width > 0 && height > 0 &&
         samples >= static_cast<size_t>(width) * static_cast<size_t>(height);
}

bool WriteHeader(std::FILE* file, int32_t width, int32_t height, unsigned maxval) {
  return std::fprintf(file, "P5\n%d %d\n%u\n", static_cast<int>(width), static_cast<int>(height),
                      maxval) > 0;
}

bool WriteBytes(std::FILE* file, int32_t width, int32_t height, std::span<const uint8_t> pixels) {
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
  return WriteHeader(file, width, height, 255) &&
         std::fwrite(pixels.data(), 1, bytes, file) == bytes;
}

}  // namespace

int32_t WritePgm(const std::string& path, int32_t width, int32_t height,
                 std::span<const uint8_t> pixels) {
  if (!Fills(width, height, pixels.size()))
    return kErrBadParameter;
  StdioFile file(std::fopen(path.c_str(), "wb"));
  if (!file)
    return kErrCannotWrite;
  bool ok = WriteBytes(file.get(), width, height, pixels);
  ok = CloseChecked(file) && ok;
  if (!ok) {
    std::remove(path.c_str());
    return kErrCannotWrite;
  }
  return kOk;
}

int32_t WritePgmTo(std::FILE* file, const GreyImage& image) {
  if (!file || !Fills(image.width, image.height, image.pixels.size()))
    return kErrBadParameter;
  return WriteBytes(file, image.width, image.height, image.pixels) ? kOk : kErrCannotWrite;
}

int32_t WritePgmTo(std::FILE* file, const GreyImage16& image) {
  if (!file || !Fills(image.width, image.height, image.pixels.size()))
    return kErrBadParameter;
  bool ok = WriteHeader(file, image.width, image.height, std::numeric_limits<uint16_t>::max());
  std::vector<uint8_t> row(static_cast<size_t>(image.width) * 2);
  for (int32_t y = 0; ok && y < image.height; ++y) {
    const uint16_t* in = image.pixels.data() + static_cast<size_t>(y) * image.width;
    for (int32_t x = 0; x < image.width; ++x) {
      row[2 * x] = static_cast<uint8_t>(in[x] >> 8);
      row[2 * x + 1] = static_cast<uint8_t>(in[x]);
    }
    ok = std::fwrite(row.data(), 1, row.size(), file) == row.size();
  }
  return ok ? kOk : kErrCannotWrite;
}
