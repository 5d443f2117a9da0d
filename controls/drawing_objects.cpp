#include "controls/drawing_objects.h"

#include <cassert>
#include <memory>

namespace {

// Held in creation order; released back to front.
struct Objects {
  std::unique_ptr<QFont> dialogFont;
  std::unique_ptr<QBrush> blueBrush;
  std::unique_ptr<QBrush> greyBrush;
  std::unique_ptr<QPen> redPen;
};

Objects objects;

}  // namespace

void CreateDrawingObjects() {
  if (objects.dialogFont) return;
  auto font = std::make_unique<QFont>(QStringLiteral("MS Sans Serif"));
  font->setStyleHint(QFont::SansSerif);
  font->setPixelSize(11);
  font->setWeight(QFont::Normal);
  font->setItalic(false);
  font->setUnderline(false);
  font->setStrikeOut(false);
  objects.dialogFont = std::move(font);
  objects.blueBrush = std::make_unique<QBrush>(QColor(0, 0, 255), Qt::SolidPattern);
  objects.greyBrush = std::make_unique<QBrush>(QColor(0xC0, 0xC0, 0xC0), Qt::SolidPattern);
  objects.redPen = std::make_unique<QPen>(QBrush(QColor(255, 0, 0)), 1, Qt::SolidLine);
}

void DestroyDrawingObjects() {
  objects.redPen.reset();
  objects.greyBrush.reset();
  objects.blueBrush.reset();
  objects.dialogFont.reset();
}

bool DrawingObjectsCreated() { return objects.dialogFont != nullptr; }

const QFont& DialogFont() {
  assert(objects.dialogFont);
  return *objects.dialogFont;
}
const QBrush& BlueBrush() {
  assert(objects.blueBrush);
  return *objects.blueBrush;
}
const QBrush& GreyBrush() {
  assert(objects.greyBrush);
  return *objects.greyBrush;
}
const QPen& RedPen() {
  assert(objects.redPen);
  return *objects.redPen;
}
