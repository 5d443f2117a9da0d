#include "cli/pgm_writer.h"

#include <cstdio>

#include "support/error_codes.h"
#include "support/stdio_file.h"

int32_t WritePgm(const std::string& path, int32_t width, int32_t height,
                 std::span<const uint8_t> pixels) {
  if (width <= 0 || height <= 0 ||
      pixels.size() < static_cast<size_t>(width) * static_cast<size_t>(height)) {
    return kErrBadParameter;
  }
  StdioFile file(std::fopen(path.c_str(), "wb"));
  if (!file)
    return kErrCannotWrite;
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(height);
  bool ok = std::fprintf(file.get(), "P5\n%d %d\n255\n", static_cast<int>(width),
                         static_cast<int>(height)) > 0;
  ok = ok && std::fwrite(pixels.data(), 1, bytes, file.get()) == bytes;
  ok = CloseChecked(file) && ok;
  if (!ok) {
    std::remove(path.c_str());
    return kErrCannotWrite;
  }
  return kOk;
}
