// orvane-fx: the desktop program.
#include <cstdio>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/fx_app.h"
#include "controls/drawing_objects.h"
#include "controls/qt_prompter.h"

namespace {

std::vector<std::string> Arguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

}  // namespace

int main(int argc, char** argv) {
  // --help and --version answer before anything needs a display.
  const FxCommandLine early = ParseFxCommandLine(Arguments(argc, argv));
  if (early.action == FxCommandLine::Action::Help || early.action == FxCommandLine::Action::Version) {
    const std::string text =
        early.action == FxCommandLine::Action::Help ? FxUsageText() : FxVersionText();
    std::fputs(text.c_str(), stdout);
    return 0;
  }

  // The card, the two file records and the drawing objects are made in that
  // order and gone in the reverse order, the card's Close last: the first
  // three are static objects, the drawing objects belong to this scope.
  TFxApp app(argc, argv);
  // What is left once Qt has taken its own options out.
  const FxCommandLine line = ParseFxCommandLine(Arguments(argc, argv));
  if (line.action == FxCommandLine::Action::Refuse) {
    std::fprintf(stderr, "orvane-fx: %s\nTry 'orvane-fx --help' for more information.\n",
                 line.problem.c_str());
    return 2;
  }
  ScopedDrawingObjects drawingObjects;
  QtPrompter prompter;
  ScopedPrompter scopedPrompter(prompter);
  app.SetPictureToOpen(line.picture);
  return app.Run(kShowNormal);
}
