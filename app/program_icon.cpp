#include "app/program_icon.h"

#include <QColor>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "wipe/transition_table.h"

namespace {

// The two pictures the wipe passes between, and the frame round them.
constexpr QRgb kOutgoing = qRgb(0x1c, 0x3f, 0x94);
constexpr QRgb kIncoming = qRgb(0xf2, 0xa2, 0x1d);
constexpr QRgb kFrame = qRgb(0x10, 0x10, 0x10);

int Mix(int a, int b, int alpha) {
  return (a * (255 - alpha) + b * alpha + 127) / 255;
}

// The radial pattern, its soft edge half way out: the program's own wipe.
// Pattern value v (0 at the centre, 255 in the corners) shows this colour.
TransitionTable IconTable() {
  TransitionTable table;
  BuildTransitionTable(table, 150, 120);
  return table;
}

QRgb IconColour(const TransitionTable& table, int value) {
  const int alpha = table[static_cast<size_t>(value)] & 0xFF;
  return qRgb(Mix(qRed(kIncoming), qRed(kOutgoing), alpha),
              Mix(qGreen(kIncoming), qGreen(kOutgoing), alpha),
              Mix(qBlue(kIncoming), qBlue(kOutgoing), alpha));
}

}  // namespace

QImage ProgramIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  if (size < 4)
    return image;
  const TransitionTable table = IconTable();
  const double centre = (size - 1) / 2.0;
  const double reach = std::sqrt(2.0) * centre;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      QRgb colour = kFrame;
      if (x > 0 && y > 0 && x < size - 1 && y < size - 1) {
        const double distance = std::hypot(x - centre, y - centre) / reach;
        colour = IconColour(table, std::clamp(static_cast<int>(distance * 255.0 + 0.5), 0, 255));
      }
      image.setPixel(x, y, colour);
    }
  }
  return image;
}

std::string ProgramIconSvg() {
  constexpr int kSide = 256;
  const TransitionTable table = IconTable();
  std::string svg;
  char text[160];
  std::snprintf(text, sizeof text,
                "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"%d\" height=\"%d\" "
                "viewBox=\"0 0 %d %d\">\n",
                kSide, kSide, kSide, kSide);
  svg += text;
  std::snprintf(text, sizeof text,
                "<radialGradient id=\"wipe\" gradientUnits=\"userSpaceOnUse\" cx=\"%d\" "
                "cy=\"%d\" r=\"%.3f\">\n",
                kSide / 2, kSide / 2, std::sqrt(2.0) * kSide / 2);
  svg += text;
  // A stop wherever the colour changes, and at both ends: the same steps
  // the drawn icon has.
  for (int value = 0; value <= 255; ++value) {
    const QRgb colour = IconColour(table, value);
    if (value > 0 && value < 255 && colour == IconColour(table, value - 1) &&
        colour == IconColour(table, value + 1))
      continue;
    std::snprintf(text, sizeof text, "<stop offset=\"%.4f\" stop-color=\"#%02x%02x%02x\"/>\n",
                  value / 255.0, qRed(colour), qGreen(colour), qBlue(colour));
    svg += text;
  }
  svg += "</radialGradient>\n";
  std::snprintf(text, sizeof text, "<rect width=\"%d\" height=\"%d\" fill=\"#%02x%02x%02x\"/>\n",
                kSide, kSide, qRed(kFrame), qGreen(kFrame), qBlue(kFrame));
  svg += text;
  std::snprintf(text, sizeof text,
                "<rect x=\"1\" y=\"1\" width=\"%d\" height=\"%d\" fill=\"url(#wipe)\"/>\n",
                kSide - 2, kSide - 2);
  svg += text;
  svg += "</svg>\n";
  return svg;
}

QIcon ProgramIcon(int resourceId) {
  QIcon icon;
  if (resourceId != kProgramIconId)
    return icon;
  icon.addPixmap(QPixmap::fromImage(ProgramIconImage(kSmallIconSize)));
  icon.addPixmap(QPixmap::fromImage(ProgramIconImage(kLargeIconSize)));
  return icon;
}
