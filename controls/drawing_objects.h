#pragma once

#include <QBrush>
#include <QFont>
#include <QPen>

// The drawing objects every dialog and control shares, made once when the
// program starts (after the application object, before any window) and
// destroyed in reverse order when it ends.
void CreateDrawingObjects();
void DestroyDrawingObjects();
bool DrawingObjectsCreated();

// "MS Sans Serif" at a character height of 11 pixels, normal weight; the
// system's sans-serif font where that face is missing.
const QFont& DialogFont();
// Pure blue: the done part of a progress bar.
const QBrush& BlueBrush();
// Light grey (0xC0C0C0): the remaining part of a progress bar.
const QBrush& GreyBrush();
// Pure red, one pixel wide: the progress percentage.
const QPen& RedPen();

// Creates the objects for one scope (the program's main, a test binary).
class ScopedDrawingObjects {
 public:
  ScopedDrawingObjects() { CreateDrawingObjects(); }
  ~ScopedDrawingObjects() { DestroyDrawingObjects(); }
  ScopedDrawingObjects(const ScopedDrawingObjects&) = delete;
  ScopedDrawingObjects& operator=(const ScopedDrawingObjects&) = delete;
};
