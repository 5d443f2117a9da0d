#include "wipe/ui/picture_reader.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <new>

#include "support/buffered_file.h"
#include "support/error_codes.h"
#include "wipe/picture_grey.h"
#include "wipe/pnm_picture.h"
#include "wipe/targa_pattern.h"
#include "wipe/targa_picture.h"

namespace {

// Channels of more than 8 bits: greyed from 16-bit samples so that no
// precision is lost before the one rounding to 8 bits.
bool HasDeepChannels(QImage::Format format) {
  switch (format) {
    case QImage::Format_Grayscale16:
    case QImage::Format_RGBX64:
    case QImage::Format_RGBA64:
    case QImage::Format_RGBA64_Premultiplied:
    case QImage::Format_BGR30:
    case QImage::Format_A2BGR30_Premultiplied:
    case QImage::Format_RGB30:
    case QImage::Format_A2RGB30_Premultiplied:
    case QImage::Format_RGBX16FPx4:
    case QImage::Format_RGBA16FPx4:
    case QImage::Format_RGBA16FPx4_Premultiplied:
    case QImage::Format_RGBX32FPx4:
    case QImage::Format_RGBA32FPx4:
    case QImage::Format_RGBA32FPx4_Premultiplied:
      return true;
    default:
      return false;
  }
}

// The greys of a decoded picture. Alpha is passed over: a pattern is its
// colours. Qt's own grey conversion is not used, as it rounds differently.
void GreyFromImage(const QImage& decoded, GreyImage& pattern) {
  const int w = decoded.width();
  const int h = decoded.height();
  if (HasDeepChannels(decoded.format())) {
    const QImage image = decoded.convertToFormat(QImage::Format_RGBA64);
    for (int y = 0; y < h; ++y) {
      const auto* in = reinterpret_cast<const QRgba64*>(image.constScanLine(y));
      uint8_t* out = pattern.pixels.data() + static_cast<size_t>(y) * w;
      for (int x = 0; x < w; ++x)
        out[x] = Grey16To8(Luma(in[x].red(), in[x].green(), in[x].blue()));
    }
    return;
  }
  const QImage image = decoded.convertToFormat(QImage::Format_RGBA8888);
  for (int y = 0; y < h; ++y) {
    const uchar* in = image.constScanLine(y);
    uint8_t* out = pattern.pixels.data() + static_cast<size_t>(y) * w;
    for (int x = 0; x < w; ++x, in += 4)
      out[x] = static_cast<uint8_t>(Luma(in[0], in[1], in[2]));
  }
}

// What Qt's readers make of the file: known is false when none knows it.
struct QtRead {
  bool known = false;
  int32_t code = kErrBadFile;
};

QtRead ReadWithQt(const std::string& path, GreyImage& pattern) {
  QImageReader reader(QFile::decodeName(path.c_str()));
  reader.setAutoTransform(true);
  reader.setAllocationLimit(kPictureAllocationLimitMb);
  if (!reader.canRead())
    return {};
  const QSize announced = reader.size();
  if (announced.isValid() && (announced.width() > kPatternMaxSide ||
                              announced.height() > kPatternMaxSide || announced.isEmpty())) {
    return {true, kErrBadFile};
  }
  const QImage image = reader.read();
  if (image.isNull()) {
    if (reader.error() == QImageReader::InvalidDataError && announced.isValid() &&
        static_cast<int64_t>(announced.width()) * announced.height() * 8 >
            int64_t{kPictureAllocationLimitMb} * 1024 * 1024) {
      return {true, kErrNoMemory};
    }
    return {true, kErrCannotRead};
  }
  if (image.width() > kPatternMaxSide || image.height() > kPatternMaxSide)
    return {true, kErrBadFile};
  try {
    pattern.pixels.resize(static_cast<size_t>(image.width()) * image.height());
  } catch (const std::bad_alloc&) {
    pattern.Release();
    return {true, kErrNoMemory};
  }
  GreyFromImage(image, pattern);
  pattern.width = image.width();
  pattern.height = image.height();
  return {true, kOk};
}

}  // namespace

int32_t ReadPicturePattern(const std::string& path, GreyImage& pattern) {
  pattern.Release();
  BufferedFile file;
  if (!file.Open(path))
    return kErrCannotOpen;
  const int32_t first = ReadTargaPattern(file, pattern);
  if (first == kOk || first == kErrNoMemory)
    return first;
  // A TARGA has no magic number: this reader says kErrBadFile for one it
  // does not know, and for one it refuses.
  const int32_t targa = ReadTargaPicture(file, pattern);
  if (targa != kErrBadFile)
    return targa;
  const int32_t pnm = ReadPnmPicture(file, pattern);
  if (pnm != kErrBadFile || HasPnmMagic(file))
    return pnm;
  file.Close();
  const QtRead qt = ReadWithQt(path, pattern);
  return qt.known ? qt.code : first;
}
