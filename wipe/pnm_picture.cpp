#include "wipe/pnm_picture.h"

#include <new>
#include <vector>

#include "support/error_codes.h"
#include "wipe/picture_grey.h"

namespace {

// The header's characters, read one at a time: it is a few dozen bytes.
class HeaderText {
 public:
  explicit HeaderText(BufferedFile& file) : file_(file) {}

  // The next number after white space and comments, followed by one white
  // space character; false for anything else or one above limit.
  bool Number(uint32_t limit, uint32_t& value) {
    int c = SkipSpace();
    if (c < '0' || c > '9')
      return false;
    uint64_t v = 0;
    while (c >= '0' && c <= '9') {
      v = v * 10 + static_cast<uint32_t>(c - '0');
      if (v > limit)
        return false;
      c = Next();
    }
    value = static_cast<uint32_t>(v);
    return IsSpace(c);
  }

 private:
  static bool IsSpace(int c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
  }
  int Next() {
    unsigned char c = 0;
    return file_.ReadExact(&c, 1) ? c : -1;
  }
  int SkipSpace() {
    int c = Next();
    for (;;) {
      if (c == '#') {
        while (c != '\n' && c != '\r' && c != -1)
          c = Next();
      } else if (IsSpace(c)) {
        c = Next();
      } else {
        return c;
      }
    }
  }

  BufferedFile& file_;
};

}  // namespace

bool HasPnmMagic(BufferedFile& file) {
  char magic[2] = {};
  return file.Seek(0) && file.ReadExact(magic, sizeof magic) && magic[0] == 'P' &&
         (magic[1] == '5' || magic[1] == '6');
}

int32_t ReadPnmPicture(BufferedFile& file, GreyImage& pattern) {
  pattern.Release();
  if (!HasPnmMagic(file))
    return kErrBadFile;
  char kind = 0;
  if (!file.Seek(1) || !file.ReadExact(&kind, 1))
    return kErrBadFile;
  const bool colour = kind == '6';
  HeaderText header(file);
  uint32_t width = 0, height = 0, white = 0;
  if (!header.Number(kPatternMaxSide, width) || !header.Number(kPatternMaxSide, height) ||
      !header.Number(65535, white) || width == 0 || height == 0 || white == 0) {
    return kErrBadFile;
  }

  const size_t sampleBytes = white > 255 ? 2 : 1;
  const size_t pixelBytes = sampleBytes * (colour ? 3 : 1);
  const size_t rowBytes = pixelBytes * width;
  // A lying header may not claim more than its file holds.
  const uint64_t available = file.Size() > file.Tell() ? file.Size() - file.Tell() : 0;
  if (available < static_cast<uint64_t>(rowBytes) * height)
    return kErrCannotRead;

  std::vector<uint8_t> row;
  std::vector<uint8_t> greys;
  try {
    row.resize(rowBytes);
    greys.resize(static_cast<size_t>(width) * height);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  const auto sample = [&](const uint8_t* at) -> uint32_t {
    return sampleBytes == 2 ? (uint32_t{at[0]} << 8) | at[1] : at[0];
  };
  for (uint32_t y = 0; y < height; ++y) {
    if (!file.ReadExact(row.data(), rowBytes))
      return kErrCannotRead;
    uint8_t* out = greys.data() + static_cast<size_t>(y) * width;
    for (uint32_t x = 0; x < width; ++x) {
      const uint8_t* p = row.data() + x * pixelBytes;
      const uint32_t v = colour
                             ? Luma(sample(p), sample(p + sampleBytes), sample(p + 2 * sampleBytes))
                             : sample(p);
      out[x] = ScaleSampleTo8(v, white);
    }
  }
  pattern.pixels = std::move(greys);
  pattern.width = static_cast<int32_t>(width);
  pattern.height = static_cast<int32_t>(height);
  return kOk;
}
