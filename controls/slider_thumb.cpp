#include "controls/slider_thumb.h"

const char* const kSliderThumbRows[kThumbHeight] = {
    "...KKKKKKKKKKKK...",  //
    "..KLLLLLLLLLLLLK..",  //
    ".KWWWWWWWWWWWWWWK.",  //
    ".KGGGGGGGGGGGGGGK.",  //
    ".KGGGGGGGGGGGGGGK.",  //
    "..KLLLLLLLLLLLLK..",  //
    "..KGGGGGGGGGGGGK..",  //
    "..KGGGGGGGGGGGGK..",  //
    "...KLLLLLLLLLLK...",  //
    "...KGGGGGGGGGGK...",  //
    "...KRRRRRRRRRRK...",  //
    "...KLLLLLLLLLLK...",  //
    "...KLLLLLLLLLLK...",  //
    "..KGGGGGGGGGGGGK..",  //
    "..KLLLLLLLLLLLLK..",  //
    "..KLLLLLLLLLLLLK..",  //
    ".KGGGGGGGGGGGGGGK.",  //
    ".KLLLLLLLLLLLLLLK.",  //
    ".KWWWWWWWWWWWWWWK.",  //
    "..KGGGGGGGGGGGGK..",  //
    "...KKKKKKKKKKKK...",  //
};

QImage SliderThumbBitmap(int resourceId, const QPalette& palette, QPalette::ColorGroup group,
                         const QColor& background) {
  if (resourceId != kSliderThumbBitmap)
    return {};
  const QRgb black = palette.color(group, QPalette::ButtonText).rgb();
  const QRgb grey = palette.color(group, QPalette::Dark).rgb();
  const QRgb light = palette.color(group, QPalette::Button).rgb();
  const QRgb white = palette.color(group, QPalette::Light).rgb();
  const QRgb red = qRgb(255, 0, 0);
  const QRgb yellow = background.rgb();

  QImage image(2 * kThumbWidth, kThumbHeight, QImage::Format_RGB32);
  for (int y = 0; y < kThumbHeight; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < kThumbWidth; ++x) {
      QRgb colour = yellow;
      switch (kSliderThumbRows[y][x]) {
        case 'K':
          colour = black;
          break;
        case 'G':
          colour = grey;
          break;
        case 'L':
          colour = light;
          break;
        case 'W':
          colour = white;
          break;
        case 'R':
          colour = red;
          break;
        default:
          break;
      }
      line[x] = colour;
      line[x + kThumbWidth] = colour;
    }
  }
  return image;
}
