#include "wipe/ui/picture_reader.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageWriter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

#include "support/error_codes.h"

namespace {

using Bytes = std::vector<uint8_t>;

class PictureReaderTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return dir_.filePath(name).toStdString(); }

  std::string WriteBytes(const char* name, const Bytes& bytes) const {
    const std::string path = Path(name);
    FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    if (f) {
      if (!bytes.empty())
        std::fwrite(bytes.data(), 1, bytes.size(), f);
      std::fclose(f);
    }
    return path;
  }

  // Saved by Qt's own writer, so the file is as other programs make it.
  std::string Save(const char* name, const QImage& image, const char* format, int quality = -1) {
    const std::string path = Path(name);
    EXPECT_TRUE(image.save(QString::fromStdString(path), format, quality)) << name;
    return path;
  }

  QTemporaryDir dir_;
};

// Two rows of two: red, green / blue, a dark blue-grey.
QImage Colours8() {
  QImage image(2, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(255, 0, 0));
  image.setPixel(1, 0, qRgb(0, 255, 0));
  image.setPixel(0, 1, qRgb(0, 0, 255));
  image.setPixel(1, 1, qRgb(10, 20, 30));
  return image;
}
const Bytes kColours8Grey = {76, 150, 29, 18};

QImage Colours16() {
  QImage image(2, 2, QImage::Format_RGBX64);
  image.setPixelColor(0, 0, QColor::fromRgba64(65535, 0, 0));
  image.setPixelColor(1, 0, QColor::fromRgba64(0, 65535, 0));
  image.setPixelColor(0, 1, QColor::fromRgba64(0, 0, 65535));
  // 74 from the 16-bit luma; 73 if the channels were cut to 8 bits first.
  image.setPixelColor(1, 1, QColor::fromRgba64(0x1234, 0x5678, 0x9ABC));
  return image;
}
const Bytes kColours16Grey = {76, 150, 29, 74};

QImage Greys8() {
  QImage image(2, 2, QImage::Format_Grayscale8);
  const uchar v[] = {0, 77, 200, 255};
  for (int i = 0; i < 4; ++i)
    image.scanLine(i / 2)[i % 2] = v[i];
  return image;
}

// Each rounds differently from cutting the low byte off.
QImage Greys16() {
  QImage image(2, 2, QImage::Format_Grayscale16);
  const quint16 v[] = {0x00FF, 0x7FFF, 0x8000, 0xFF7F};
  for (int i = 0; i < 4; ++i)
    reinterpret_cast<quint16*>(image.scanLine(i / 2))[i % 2] = v[i];
  return image;
}
const Bytes kGreys16Grey = {1, 127, 128, 255};

Bytes Concat(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Text(const std::string& s) {
  return Bytes(s.begin(), s.end());
}

// An 18-byte TARGA header.
Bytes Targa(int type, int depth, int descriptor, int w, int h, int idLength = 0) {
  return {static_cast<uint8_t>(idLength),
          0,
          static_cast<uint8_t>(type),
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          0,
          static_cast<uint8_t>(w),
          static_cast<uint8_t>(w >> 8),
          static_cast<uint8_t>(h),
          static_cast<uint8_t>(h >> 8),
          static_cast<uint8_t>(depth),
          static_cast<uint8_t>(descriptor)};
}

TEST_F(PictureReaderTest, EveryFormatLoadsToItsGreys) {
  struct Case {
    const char* what;
    std::function<std::string()> make;
    int w, h;
    Bytes grey;
    int tolerance = 0;
  };
  QImage jpegPicture(16, 8, QImage::Format_Grayscale8);
  // Two flat 8 x 8 blocks: JPEG keeps flat blocks nearly exact.
  for (int y = 0; y < 8; ++y) {
    for (int x = 0; x < 16; ++x)
      jpegPicture.scanLine(y)[x] = x < 8 ? 40 : 220;
  }
  Bytes jpegGrey(16 * 8);
  for (size_t i = 0; i < jpegGrey.size(); ++i)
    jpegGrey[i] = i % 16 < 8 ? 40 : 220;

  const Case cases[] = {
      {"PNG 8-bit grey", [&] { return Save("g8.png", Greys8(), "PNG"); }, 2, 2, {0, 77, 200, 255}},
      {"PNG 16-bit grey", [&] { return Save("g16.png", Greys16(), "PNG"); }, 2, 2, kGreys16Grey},
      {"PNG 8-bit colour", [&] { return Save("c8.png", Colours8(), "PNG"); }, 2, 2, kColours8Grey},
      {"PNG 16-bit colour", [&] { return Save("c16.png", Colours16(), "PNG"); }, 2, 2,
       kColours16Grey},
      {"BMP", [&] { return Save("c.bmp", Colours8(), "BMP"); }, 2, 2, kColours8Grey},
      {"TIFF", [&] { return Save("c.tif", Colours8(), "TIFF"); }, 2, 2, kColours8Grey},
      {"JPEG", [&] { return Save("g.jpg", jpegPicture, "JPEG", 95); }, 16, 8, jpegGrey, 3},
      {"PGM 8-bit with a comment",
       [&] {
         return WriteBytes("g8.pgm", Concat(Text("P5\n# by hand\n2 1\n255\n"), {9, 250}));
       },
       2,
       1,
       {9, 250}},
      {"PGM 16-bit",
       [&] {
         return WriteBytes("g16.pgm", Concat(Text("P5 2 2 65535\n"),
                                             {0x00, 0xFF, 0x7F, 0xFF, 0x80, 0x00, 0xFF, 0x7F}));
       },
       2, 2, kGreys16Grey},
      {"PGM of white 1000",
       [&] {
         return WriteBytes("g1000.pgm",
                           Concat(Text("P5 3 1 1000\n"), {0x00, 0x01, 0x01, 0xF4, 0x03, 0xE8}));
       },
       3,
       1,
       {0, 128, 255}},
      {"PPM 8-bit",
       [&] {
         return WriteBytes("c8.ppm", Concat(Text("P6\n2 2\n255\n"),
                                            {255, 0, 0, 0, 255, 0, 0, 0, 255, 10, 20, 30}));
       },
       2, 2, kColours8Grey},
      {"PPM 16-bit",
       [&] {
         return WriteBytes(
             "c16.ppm", Concat(Text("P6 2 2 65535\n"),
                               {0xFF, 0xFF, 0, 0, 0,    0,    0,    0,    0xFF, 0xFF, 0,    0,
                                0,    0,    0, 0, 0xFF, 0xFF, 0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC}));
       },
       2, 2, kColours16Grey},
      // The first reader's files load as they always did: red, not luma.
      {"TARGA 24-bit bottom-up",
       [&] {
         return WriteBytes("plain.tga", Concat(Targa(2, 24, 0, 2, 1), {0, 0, 200, 9, 9, 33}));
       },
       2,
       1,
       {200, 33}},
      {"TARGA grey bottom-up",
       [&] {
         return WriteBytes("grey.tga", Concat(Targa(3, 8, 0, 2, 2), {1, 2, 3, 4}));
       },
       2,
       2,
       {3, 4, 1, 2}},
      {"TARGA grey top-down with an ID field",
       [&] {
         return WriteBytes("grey-top.tga",
                           Concat(Targa(3, 8, 0x20, 2, 2, 3), {7, 7, 7, 1, 2, 3, 4}));
       },
       2,
       2,
       {1, 2, 3, 4}},
      {"TARGA 24-bit top-down, luma",
       [&] {
         return WriteBytes("top24.tga", Concat(Targa(2, 24, 0x20, 2, 1), {0, 0, 255, 30, 20, 10}));
       },
       2,
       1,
       {76, 18}},
      {"TARGA 32-bit top-down, alpha",
       [&] {
         return WriteBytes("top32.tga",
                           Concat(Targa(2, 32, 0x28, 2, 1), {255, 255, 255, 5, 0, 0, 0, 250}));
       },
       2,
       1,
       {5, 250}},
      {"TARGA run-length grey: a run and a raw packet",
       [&] {
         return WriteBytes("rle8.tga", Concat(Targa(11, 8, 0x20, 3, 2), {0x83, 60, 0x01, 70, 80}));
       },
       3,
       2,
       {60, 60, 60, 60, 70, 80}},
      {"TARGA run-length 24-bit bottom-up",
       [&] {
         return WriteBytes("rle24.tga",
                           Concat(Targa(10, 24, 0, 2, 2), {0x81, 0, 0, 255, 0x81, 30, 20, 10}));
       },
       2,
       2,
       {18, 18, 76, 76}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GreyImage pattern;
    pattern.pixels.assign(3, 1);
    ASSERT_EQ(ReadPicturePattern(c.make(), pattern), kOk);
    EXPECT_EQ(pattern.width, c.w);
    EXPECT_EQ(pattern.height, c.h);
    ASSERT_EQ(pattern.pixels.size(), c.grey.size());
    for (size_t i = 0; i < c.grey.size(); ++i)
      EXPECT_NEAR(pattern.pixels[i], c.grey[i], c.tolerance) << "pixel " << i;
  }
}

TEST_F(PictureReaderTest, WebPLoadsWhereQtWritesIt) {
  if (!QImageWriter::supportedImageFormats().contains("webp"))
    GTEST_SKIP() << "no WebP plugin";
  GreyImage pattern;
  ASSERT_EQ(ReadPicturePattern(Save("c.webp", Colours8().scaled(8, 8), "WEBP", 100), pattern), kOk);
  ASSERT_EQ(pattern.pixels.size(), 64u);
  // Quality 100 is lossless: the red quarter is red's luma.
  EXPECT_NEAR(pattern.pixels[0], 76, 2);
  EXPECT_NEAR(pattern.pixels[63], 18, 2);
}

// CRC-32 of a PNG chunk's type and data, for a header made by hand.
uint32_t Crc32(const uint8_t* data, size_t size) {
  uint32_t crc = 0xFFFFFFFFu;
  for (size_t i = 0; i < size; ++i) {
    crc ^= data[i];
    for (int k = 0; k < 8; ++k)
      crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// A real PNG whose header announces w x h.
Bytes PngClaiming(uint32_t w, uint32_t h) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  EXPECT_TRUE(QImage(1, 1, QImage::Format_Grayscale8).save(&buffer, "PNG"));
  Bytes bytes(png.begin(), png.end());
  // Signature (8), IHDR length (4), "IHDR" at 12, width at 16, height at 20.
  for (int i = 0; i < 4; ++i) {
    bytes[16 + i] = static_cast<uint8_t>(w >> (24 - 8 * i));
    bytes[20 + i] = static_cast<uint8_t>(h >> (24 - 8 * i));
  }
  const uint32_t crc = Crc32(bytes.data() + 12, 17);
  for (int i = 0; i < 4; ++i)
    bytes[29 + i] = static_cast<uint8_t>(crc >> (24 - 8 * i));
  return bytes;
}

TEST_F(PictureReaderTest, RefusalsKeepTheirCodesAndLeaveNoPattern) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  ASSERT_TRUE(Colours8().save(&buffer, "PNG"));
  const Bytes pngBytes(png.begin(), png.end());
  const Bytes cutPng(pngBytes.begin(), pngBytes.begin() + static_cast<long>(pngBytes.size() / 2));
  struct Case {
    const char* what;
    Bytes bytes;
    int32_t code;
  } cases[] = {
      {"empty file", {}, kErrCannotRead},
      {"text no reader knows", Text("just some words, nothing more than that"), kErrBadFile},
      {"PNG cut in half", cutPng, kErrCannotRead},
      {"PNG wider than a pattern may be", PngClaiming(70000, 1), kErrBadFile},
      {"PNG beyond the decoding limit", PngClaiming(60000, 60000), kErrNoMemory},
      {"PGM of 0 x 0", Text("P5 0 0 255\n"), kErrBadFile},
      {"PGM wider than a pattern may be", Concat(Text("P5 70000 1 255\n"), Bytes(70000, 1)),
       kErrBadFile},
      {"PGM of white 0", Concat(Text("P5 1 1 0\n"), {0}), kErrBadFile},
      {"PGM 16-bit cut short", Concat(Text("P5 2 1 65535\n"), {1, 2, 3}), kErrCannotRead},
      {"PPM header cut short", Text("P6 2 2"), kErrBadFile},
      {"TARGA grey of 0 x 0", Targa(3, 8, 0, 0, 0), kErrBadFile},
      {"TARGA grey cut short", Concat(Targa(3, 8, 0, 2, 2), {1, 2, 3}), kErrCannotRead},
      {"TARGA run past the picture", Concat(Targa(11, 8, 0, 2, 1), {0x82, 5}), kErrCannotRead},
      {"TARGA run-length, packets missing", Concat(Targa(11, 8, 0, 200, 1), {0x81, 5}),
       kErrCannotRead},
      {"TARGA huge run-length claim on a tiny file",
       Concat(Targa(10, 24, 0, 65535, 65535), Bytes(100, 0xFF)), kErrCannotRead},
      // Qt's TARGA plugin claims 16-bit pictures, and wants more than this.
      {"TARGA 16-bit, Qt's kind", Concat(Targa(2, 16, 0, 2, 2), Bytes(8, 0)), kErrCannotRead},
      {"TARGA colour-mapped, no reader's kind",
       Concat(Bytes{0, 1, 1, 0, 0, 2, 0, 24, 0, 0, 0, 0, 1, 0, 1, 0, 8, 0}, Bytes(7, 0)),
       kErrBadFile},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    GreyImage pattern;
    pattern.pixels.assign(4, 1);
    pattern.width = pattern.height = 2;
    EXPECT_EQ(ReadPicturePattern(WriteBytes("bad.pic", c.bytes), pattern), c.code);
    EXPECT_TRUE(pattern.Empty());
    EXPECT_EQ(pattern.width, 0);
  }
  GreyImage pattern;
  EXPECT_EQ(ReadPicturePattern(Path("no-such-file.png"), pattern), kErrCannotOpen);
}

}  // namespace
