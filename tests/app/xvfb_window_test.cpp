// The real program on a real X server: orvane-fx under xvfb-run, seen
// through a screenshot of the whole screen.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFontMetrics>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <vector>

#include "controls/dialog_template.h"
#include "controls/drawing_objects.h"
#include "tests/testing/screenshot.h"

namespace {

// A black screen (-br), so everything not black is the program.
constexpr const char* kServerArgs = "-screen 0 1024x768x24 -br -nolisten tcp";

// Starts the program, waits until something is on the screen, gives it a
// moment to finish painting, takes the screenshot and ends the program.
constexpr const char* kScript = R"(
program=$1 shot=$2
"$program" & pid=$!
i=0
while [ $i -lt 80 ]; do
  sleep 0.25
  i=$((i + 1))
  kill -0 $pid 2>/dev/null || { echo "orvane-fx ended early" >&2; exit 3; }
  /usr/bin/import -window root "$shot" 2>/dev/null || continue
  size=$(/usr/bin/convert "$shot" -trim -format '%w' info: 2>/dev/null)
  [ "${size:-1}" -gt 1 ] && break
done
sleep 1
/usr/bin/import -window root "$shot"
status=$?
kill $pid
wait $pid 2>/dev/null
exit $status
)";

// Runs command under xvfb-run with the X platform; its output, and ok set
// when it ended normally with status 0.
QString RunUnderXvfb(const QStringList& command, bool& ok) {
  QProcess run;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
  env.insert(QStringLiteral("LSAN_OPTIONS"),
             QStringLiteral("suppressions=" ORVANE_LSAN_SUPPRESSIONS));
  run.setProcessEnvironment(env);
  run.setProcessChannelMode(QProcess::MergedChannels);
  run.start(
      QStringLiteral("/usr/bin/xvfb-run"),
      QStringList{QStringLiteral("-a"), QStringLiteral("-s"), QString::fromLatin1(kServerArgs)} +
          command);
  ok = run.waitForStarted(10000) && run.waitForFinished(60000) &&
       run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0;
  return QString::fromLocal8Bit(run.readAll());
}

QRect Covered(const QImage& image) {
  QRect box;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if ((image.pixel(x, y) & 0xFFFFFF) != 0)
        box |= QRect(x, y, 1, 1);
    }
  }
  return box;
}

TEST(XvfbWindowTest, ProgramShowsItsWindowAtTheTemplateSize) {
  ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/xvfb-run"))) << "run scripts/deps";
  ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/import"))) << "run scripts/deps";
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString shot = folder.filePath(QStringLiteral("screen.png"));

  bool ok = false;
  const QString output =
      RunUnderXvfb({QStringLiteral("/bin/sh"), QStringLiteral("-c"), QString::fromLatin1(kScript),
                    QStringLiteral("sh"), QStringLiteral(ORVANE_FX_EXE), shot},
                   ok);
  ASSERT_TRUE(ok) << output.toStdString();

  const QImage screen(shot);
  ASSERT_FALSE(screen.isNull()) << output.toStdString();
  if (const char* out = std::getenv("ORVANE_TEST_OUT")) {
    const QString dir = QString::fromLocal8Bit(out) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    screen.save(dir + QStringLiteral("/xvfb_orvane_fx.png"));
  }

  // No window manager: the window is its client area, the effect dialog.
  const QFontMetrics metrics(DialogFont());
  const DialogBaseUnits units{metrics.averageCharWidth(), metrics.height()};
  const PixelRect expected = DialogRectToPixels(0, 0, 179, 122, units);
  const QRect window = Covered(screen);
  ASSERT_FALSE(window.isEmpty()) << "nothing on the screen: " << output.toStdString();
  EXPECT_EQ(window.width(), expected.w) << output.toStdString();
  EXPECT_EQ(window.height(), expected.h);

  // A window, not a few stray pixels: nearly all of it is painted.
  int painted = 0;
  for (int y = window.top(); y <= window.bottom(); ++y) {
    for (int x = window.left(); x <= window.right(); ++x)
      painted += (screen.pixel(x, y) & 0xFFFFFF) != 0;
  }
  EXPECT_GT(painted, window.width() * window.height() * 9 / 10);
}

// Three moments of a playing wipe as the X server shows them: each is what
// the preview drew at that moment, and no two are alike.
TEST(XvfbWindowTest, PreviewOnTheScreenMovesWithThePlayingWipe) {
  ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/xvfb-run"))) << "run scripts/deps";
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  bool ok = false;
  const QString output = RunUnderXvfb({QStringLiteral(ORVANE_PLAY_SHOTS_EXE), folder.path()}, ok);
  ASSERT_TRUE(ok) << output.toStdString();

  const QImage still(folder.filePath(QStringLiteral("still.png")));
  ASSERT_FALSE(still.isNull());
  std::vector<QImage> shots;
  for (int n = 1; n <= 3; ++n) {
    const QImage screen = QImage(folder.filePath(QStringLiteral("play-%1.png").arg(n)))
                              .convertToFormat(QImage::Format_RGB32);
    const QImage drawn = QImage(folder.filePath(QStringLiteral("play-%1-drawn.png").arg(n)))
                             .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(screen.isNull()) << n;
    ASSERT_EQ(screen.size(), drawn.size()) << n;
    EXPECT_TRUE(screen == drawn) << "shot " << n << " is not what the preview drew";
    EXPECT_FALSE(screen == still.convertToFormat(QImage::Format_RGB32)) << "shot " << n;
    SaveScreenshot(screen, QStringLiteral("xvfb_preview_playing_%1").arg(n));
    shots.push_back(screen);
  }
  EXPECT_FALSE(shots[0] == shots[1]);
  EXPECT_FALSE(shots[1] == shots[2]);
  EXPECT_FALSE(shots[0] == shots[2]);
}

// The preview's context menu, opened by the dialog tests' own window on a
// real X server, where a popup is a window of its own.
TEST(XvfbWindowTest, PreviewContextMenuOpensOnARealServer) {
  ASSERT_TRUE(QFile::exists(QStringLiteral("/usr/bin/xvfb-run"))) << "run scripts/deps";
  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  const QString shot = folder.filePath(QStringLiteral("menu.png"));
  bool ok = false;
  const std::string output =
      RunUnderXvfb({QStringLiteral("/usr/bin/env"), QStringLiteral("ORVANE_MENU_SHOT=") + shot,
                    QStringLiteral(ORVANE_FX_DIALOG_TESTS),
                    QStringLiteral("--gtest_filter=FxPreviewMenuShot.*")},
                   ok)
          .toStdString();
  ASSERT_TRUE(ok) << output;
  // Ran, not skipped: the skip would write nothing.
  EXPECT_EQ(output.find("SKIPPED"), std::string::npos) << output;
  const QImage screen(shot);
  ASSERT_FALSE(screen.isNull()) << output;
  EXPECT_FALSE(Covered(screen).isEmpty());
  SaveScreenshot(screen, QStringLiteral("xvfb_preview_menu"));
}

}  // namespace
