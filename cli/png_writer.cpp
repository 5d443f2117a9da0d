#include "cli/png_writer.h"

#include <png.h>

#include <bit>
#include <csetjmp>
#include <new>
#include <type_traits>
#include <vector>

#include "support/error_codes.h"

namespace {

// The one owner of a write struct and its info struct, which libpng frees
// together.
class PngWrite {
 public:
  PngWrite() {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (png_)
      info_ = png_create_info_struct(png_);
  }
  PngWrite(const PngWrite&) = delete;
  PngWrite& operator=(const PngWrite&) = delete;
  ~PngWrite() { png_destroy_write_struct(&png_, &info_); }

  bool Ready() const { return png_ && info_; }
  png_structp Png() const { return png_; }
  png_infop Info() const { return info_; }

 private:
  // libpng's own handlers print; the caller says what failed instead. An
  // error must not return into libpng: back to EncodeRows's setjmp.
  [[noreturn]] static void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
  static void OnWarning(png_structp, png_const_charp) {}

  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
};

// The only place libpng may jump to. Nothing here has a destructor for the
// jump to skip: the handle and the row pointers belong to the caller.
bool EncodeRows(png_structp png, png_infop info, std::FILE* file, png_uint_32 width,
                png_uint_32 height, int depth, png_bytepp rows) {
  if (setjmp(png_jmpbuf(png)))
    return false;
  png_init_io(png, file);
  png_set_IHDR(png, info, width, height, depth, PNG_COLOR_TYPE_GRAY, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  // PNG keeps the high byte first; libpng swaps a copy of each row.
  if (depth == 16 && std::endian::native == std::endian::little)
    png_set_swap(png);
  png_write_image(png, rows);
  png_write_end(png, nullptr);
  return true;
}

template <typename Sample>
int32_t WriteGrey(std::FILE* file, const BasicGreyImage<Sample>& image) {
  static_assert(std::is_same_v<Sample, uint8_t> || std::is_same_v<Sample, uint16_t>);
  if (!file || image.width <= 0 || image.height <= 0 ||
      image.pixels.size() != static_cast<size_t>(image.width) * image.height) {
    return kErrBadParameter;
  }
  PngWrite write;
  if (!write.Ready())
    return kErrNoMemory;
  std::vector<png_bytep> rows;
  try {
    rows.resize(static_cast<size_t>(image.height));
  } catch (const std::bad_alloc&) {
    return kErrNoMemory;
  }
  // libpng reads the rows, never writes them, though its type says it may.
  auto* const pixels = const_cast<Sample*>(image.pixels.data());
  for (size_t y = 0; y < rows.size(); ++y)
    rows[y] = reinterpret_cast<png_bytep>(pixels + y * static_cast<size_t>(image.width));
  const bool written =
      EncodeRows(write.Png(), write.Info(), file, static_cast<png_uint_32>(image.width),
                 static_cast<png_uint_32>(image.height), 8 * sizeof(Sample), rows.data());
  return written ? kOk : kErrCannotWrite;
}

}  // namespace

int32_t WritePngTo(std::FILE* file, const GreyImage& image) {
  return WriteGrey(file, image);
}

int32_t WritePngTo(std::FILE* file, const GreyImage16& image) {
  return WriteGrey(file, image);
}
