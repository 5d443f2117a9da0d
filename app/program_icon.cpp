#include "app/program_icon.h"

#include <QColor>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "wipe/transition_table.h"

namespace {

// The two pictures the wipe passes between, and the frame round them.
constexpr QRgb kOutgoing = qRgb(0x1c, 0x3f, 0x94);
constexpr QRgb kIncoming = qRgb(0xf2, 0xa2, 0x1d);
constexpr QRgb kFrame = qRgb(0x10, 0x10, 0x10);

int Mix(int a, int b, int alpha) {
  return (a * (255 - alpha) + b * alpha + 127) / 255;
}

}  // namespace

QImage ProgramIconImage(int size) {
  QImage image(size, size, QImage::Format_ARGB32);
  image.fill(Qt::transparent);
  if (size < 4)
    return image;
  // A radial pattern, its soft edge half way out: the program's own wipe.
  TransitionTable table;
  BuildTransitionTable(table, 150, 120);
  const double centre = (size - 1) / 2.0;
  const double reach = std::sqrt(2.0) * centre;
  for (int y = 0; y < size; ++y) {
    for (int x = 0; x < size; ++x) {
      QRgb colour = kFrame;
      if (x > 0 && y > 0 && x < size - 1 && y < size - 1) {
        const double distance = std::hypot(x - centre, y - centre) / reach;
        const int value = std::clamp(static_cast<int>(distance * 255.0 + 0.5), 0, 255);
        const int alpha = table[static_cast<size_t>(value)] & 0xFF;
        colour = qRgb(Mix(qRed(kIncoming), qRed(kOutgoing), alpha),
                      Mix(qGreen(kIncoming), qGreen(kOutgoing), alpha),
                      Mix(qBlue(kIncoming), qBlue(kOutgoing), alpha));
      }
      image.setPixel(x, y, colour);
    }
  }
  return image;
}

QIcon ProgramIcon(int resourceId) {
  QIcon icon;
  if (resourceId != kProgramIconId)
    return icon;
  icon.addPixmap(QPixmap::fromImage(ProgramIconImage(kSmallIconSize)));
  icon.addPixmap(QPixmap::fromImage(ProgramIconImage(kLargeIconSize)));
  return icon;
}
