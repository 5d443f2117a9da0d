// Entry point of every GUI test binary: a real QApplication on the offscreen
// platform (unless one is chosen already), with the shared drawing objects.
#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "controls/drawing_objects.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  ScopedDrawingObjects drawingObjects;
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
