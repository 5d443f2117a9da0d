// orvane-fx: the desktop program.
#include "app/fx_app.h"
#include "controls/drawing_objects.h"
#include "controls/qt_prompter.h"

int main(int argc, char** argv) {
  // The card, the two file records and the drawing objects are made in that
  // order and gone in the reverse order, the card's Close last: the first
  // three are static objects, the drawing objects belong to this scope.
  TFxApp app(argc, argv);
  ScopedDrawingObjects drawingObjects;
  QtPrompter prompter;
  ScopedPrompter scopedPrompter(prompter);
  return app.Run(kShowNormal);
}
