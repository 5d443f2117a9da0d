#include "wipe/targa_picture.h"

#include <algorithm>
#include <new>
#include <vector>

#include "support/error_codes.h"
#include "wipe/picture_grey.h"
#include "wipe/targa_format.h"

namespace {

constexpr uint8_t kTargaGrey = 3;
constexpr uint8_t kTargaRunLength = 8;  // added to an Image Type
constexpr uint8_t kTopRowFirst = 0x20;  // Image Descriptor bit 5
constexpr uint8_t kRightToLeft = 0x10;  // Image Descriptor bit 4
constexpr size_t kMaxRun = 128;

// How a pixel of the file becomes a grey.
struct PixelKind {
  size_t bytes;
  bool alpha;  // 32 bits with 8 alpha bits: the alpha is the grey
};

uint8_t GreyOf(const uint8_t* pixel, PixelKind kind) {
  // TARGA stores blue, green, red and then alpha.
  if (kind.bytes == 1)
    return pixel[0];
  if (kind.alpha)
    return pixel[3];
  return static_cast<uint8_t>(Luma(pixel[2], pixel[1], pixel[0]));
}

// The picture's greys in file order, count of them; false when the data
// ends early or a packet runs past the picture.
bool ReadRuns(BufferedFile& file, PixelKind kind, uint8_t* out, size_t count) {
  uint8_t pixel[4];
  uint8_t packet[kMaxRun * 4];
  size_t done = 0;
  while (done < count) {
    uint8_t head = 0;
    if (!file.ReadExact(&head, 1))
      return false;
    const size_t run = (head & 0x7F) + 1u;
    if (run > count - done)
      return false;
    if (head & 0x80) {
      if (!file.ReadExact(pixel, kind.bytes))
        return false;
      std::fill_n(out + done, run, GreyOf(pixel, kind));
    } else {
      if (!file.ReadExact(packet, run * kind.bytes))
        return false;
      for (size_t k = 0; k < run; ++k)
        out[done + k] = GreyOf(packet + k * kind.bytes, kind);
    }
    done += run;
  }
  return true;
}

bool ReadRaw(BufferedFile& file, PixelKind kind, uint8_t* out, size_t count) {
  uint8_t row[kMaxRun * 4];
  for (size_t done = 0; done < count;) {
    const size_t n = std::min(kMaxRun, count - done);
    if (!file.ReadExact(row, n * kind.bytes))
      return false;
    for (size_t k = 0; k < n; ++k)
      out[done + k] = GreyOf(row + k * kind.bytes, kind);
    done += n;
  }
  return true;
}

}  // namespace

int32_t ReadTargaPicture(BufferedFile& file, GreyImage& pattern) {
  pattern.Release();
  uint8_t header[kTargaHeaderSize];
  if (!file.Seek(0) || !file.ReadExact(header, sizeof header))
    return kErrBadFile;
  const TargaHeader h = LoadTargaHeader(header);
  const bool runLength = (h.imageType & kTargaRunLength) != 0;
  const uint8_t kind = h.imageType & ~kTargaRunLength;
  const uint8_t alphaBits = h.descriptor & 0x0F;
  const bool grey = kind == kTargaGrey && h.pixelDepth == 8 && alphaBits == 0;
  const bool colour =
      kind == kTargaTrueColour && ((h.pixelDepth == 24 && alphaBits == 0) ||
                                   (h.pixelDepth == 32 && (alphaBits == 0 || alphaBits == 8)));
  // Bits 6 and 7 of the descriptor must be 0; right-to-left rows are rare
  // enough that no one has asked for them.
  if (h.colourMapType != 0 || !(grey || colour) || (h.descriptor & 0xC0) != 0 ||
      (h.descriptor & kRightToLeft) != 0) {
    return kErrBadFile;
  }
  if (h.width == 0 || h.height == 0)
    return kErrBadFile;

  const size_t pixelBytes = h.pixelDepth / 8;
  const PixelKind pixel{pixelBytes, pixelBytes == 4 && alphaBits == 8};
  const size_t count = static_cast<size_t>(h.width) * h.height;
  // As in ReadTargaPattern, a header may not claim more than its file can
  // hold: every packet of a run-length picture takes at least a head byte
  // and one pixel, and covers at most 128 pixels.
  const uint64_t start = kTargaHeaderSize + h.idLength;
  const uint64_t available = file.Size() > start ? file.Size() - start : 0;
  const uint64_t least =
      runLength ? (count + kMaxRun - 1) / kMaxRun * (1 + pixelBytes) : count * pixelBytes;
  if (available < least || !file.Seek(start))
    return kErrCannotRead;

  std::vector<uint8_t> greys;
  try {
    greys.resize(count);
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  const bool read = runLength ? ReadRuns(file, pixel, greys.data(), count)
                              : ReadRaw(file, pixel, greys.data(), count);
  if (!read)
    return kErrCannotRead;
  if ((h.descriptor & kTopRowFirst) == 0) {
    for (size_t top = 0, bottom = h.height - 1u; top < bottom; ++top, --bottom) {
      std::swap_ranges(greys.begin() + static_cast<ptrdiff_t>(top * h.width),
                       greys.begin() + static_cast<ptrdiff_t>((top + 1) * h.width),
                       greys.begin() + static_cast<ptrdiff_t>(bottom * h.width));
    }
  }
  pattern.pixels = std::move(greys);
  pattern.width = h.width;
  pattern.height = h.height;
  return kOk;
}
