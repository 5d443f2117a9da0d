// Plays a wipe in the program's main window and takes screenshots of the
// preview from the screen while it plays; the Xvfb test runs it on a
// virtual X server. Into the folder given it writes still.png (the preview
// before Play), then play-1.png .. play-3.png from the screen and beside each
// play-N-drawn.png, what the preview itself drew at that moment. Exits 0 when
// the wipe played without a message.
#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdio>
#include <memory>

#include "app/fx_app.h"
#include "app/fx_client.h"
#include "app/fx_templates.h"
#include "app/sdi_dec_frame.h"
#include "controls/drawing_objects.h"
#include "controls/time_code_edit.h"
#include "support/prompter.h"
#include "wipe/builtin_patterns.h"
#include "wipe/targa_writer.h"
#include "wipe/ui/image_control.h"

namespace {

constexpr int kShots = 3;
// A slow pass, and shots far enough apart that each shows the edge well on
// from the last: at 5 s a pass, the first comes a few frames after the
// FIFO's pre-fill, the third before the pass ends.
constexpr int kPassMs = 5000;
constexpr int kFirstShotMs = 200;
constexpr int kShotGapMs = 500;

QImage FromScreen(QWidget& widget) {
  const QPoint origin = widget.mapToGlobal(QPoint(0, 0));
  return widget.screen()
      ->grabWindow(0, origin.x(), origin.y(), widget.width(), widget.height())
      .toImage();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: orvane-fx-play-shots FOLDER\n");
    return 2;
  }
  QApplication app(argc, argv);
  ScopedDrawingObjects drawingObjects;
  RecordingPrompter prompter;
  ScopedPrompter scopedPrompter(prompter);
  const QDir out(QString::fromLocal8Bit(argv[1]));

  GreyImage pattern;
  const std::string path = out.filePath(QStringLiteral("radial-out.tga")).toStdString();
  if (!RenderBuiltinPattern("radial-out", 640, 480, pattern) ||
      WriteTargaGrey(path, pattern) != 0) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return 3;
  }
  std::unique_ptr<TSDIDecFrame> frame = CreateMainWindow();
  ShowMainWindow(*frame, kShowNormal);
  if (!QTest::qWaitForWindowExposed(frame.get())) {
    std::fprintf(stderr, "the window never showed\n");
    return 4;
  }
  TFxClient& client = *frame->Client();
  QTest::qWait(200);
  client.OpenPicture(path);
  client.DurationEdit()->SetTime(kPassMs, true);
  QTest::qWait(200);
  ImageControl& preview = *client.Preview();
  if (client.State() != TFxClient::kStateIdle ||
      !FromScreen(preview).save(out.filePath(QStringLiteral("still.png")))) {
    std::fprintf(stderr, "no pattern loaded\n");
    return 5;
  }

  QTest::mouseClick(client.Item(kIdPlay), Qt::LeftButton);
  if (!client.Playing()) {
    std::fprintf(stderr, "the wipe did not start\n");
    return 6;
  }
  for (int shot = 1; shot <= kShots; ++shot) {
    QTest::qWait(shot == 1 ? kFirstShotMs : kShotGapMs);
    // Painted and on the screen now, so the screen and the drawing are of
    // the same moment.
    preview.repaint();
    const QImage screen = FromScreen(preview);
    const QImage drawn = preview.grab().toImage();
    const QString name = QStringLiteral("play-%1").arg(shot);
    if (!screen.save(out.filePath(name + QStringLiteral(".png"))) ||
        !drawn.save(out.filePath(name + QStringLiteral("-drawn.png")))) {
      std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
      return 3;
    }
  }
  QTest::mouseClick(client.Item(kIdPlay), Qt::LeftButton);
  for (const RecordingPrompter::Message& m : prompter.messages)
    std::fprintf(stderr, "%s: %s\n", m.caption.c_str(), m.text.c_str());
  return prompter.messages.empty() && !client.Playing() ? 0 : 7;
}
