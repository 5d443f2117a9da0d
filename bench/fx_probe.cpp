// orvane-fx-probe: starts as the program does and says when its window is
// on the screen, for the start-up and memory benchmarks.
//
//   orvane-fx-probe program [PATTERN]   the program's own window; with a
//                                       pattern, Image loads it afterwards
//   orvane-fx-probe bare                a plain Qt window, the baseline
//
// Prints "shown" once the window is exposed and painted, then
// "peak <bytes>", the process's peak resident memory (after the pattern is
// loaded), and exits.
#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cstdio>
#include <cstring>

#include "app/fx_app.h"
#include "app/fx_client.h"
#include "app/fx_templates.h"
#include "app/sdi_dec_frame.h"
#include "controls/drawing_objects.h"
#include "controls/qt_prompter.h"
#include "support/process_memory.h"
#include "support/prompter.h"
#include "support/ui/file_dialogs.h"

namespace {

// Runs the loop until the window is exposed, then paints it once.
void ReportShown(QWidget& window) {
  while (window.windowHandle() == nullptr || !window.windowHandle()->isExposed())
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
  window.repaint();
  std::printf("shown\n");
  std::fflush(stdout);
}

void ReportPeak() {
  std::printf("peak %lld\n", static_cast<long long>(ReadProcessMemory().peakKiB) * 1024);
  std::fflush(stdout);
}

int Bare(int argc, char** argv) {
  QApplication app(argc, argv);
  QWidget window;
  window.resize(400, 300);
  window.show();
  QTimer::singleShot(0, [&] {
    ReportShown(window);
    ReportPeak();
    app.quit();
  });
  return app.exec();
}

int Program(int argc, char** argv, const char* pattern) {
  TFxApp app(argc, argv);
  ScopedDrawingObjects drawingObjects;
  QtPrompter prompter;
  ScopedPrompter scopedPrompter(prompter);
  int status = 0;
  QTimer::singleShot(0, [&] {
    TSDIDecFrame* frame = app.MainWindow();
    if (frame == nullptr) {
      status = 1;
      app.quit();
      return;
    }
    ReportShown(*frame);
    if (pattern != nullptr) {
      ScopedFileChooser chooser([pattern](const FileDialogRequest&) {
        return std::optional<FileDialogAnswer>(
            FileDialogAnswer{QString::fromLocal8Bit(pattern), 1});
      });
      auto* image = qobject_cast<QAbstractButton*>(frame->Client()->Item(kIdImage));
      if (image != nullptr)
        image->click();
      QCoreApplication::processEvents();
      if (frame->Client()->State() != TFxClient::kStateIdle)
        status = 1;
    }
    ReportPeak();
    frame->close();
  });
  const int result = app.Run(kShowNormal);
  return status != 0 ? status : result;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2 && std::strcmp(argv[1], "bare") == 0)
    return Bare(argc, argv);
  if (argc >= 2 && std::strcmp(argv[1], "program") == 0)
    return Program(argc, argv, argc >= 3 ? argv[2] : nullptr);
  std::fprintf(stderr, "usage: orvane-fx-probe program [PATTERN] | bare\n");
  return 2;
}
