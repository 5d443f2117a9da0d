// The preview's context menu as a user sees it. A popup menu needs a real
// window system: orvane_xvfb_tests runs this under a virtual X server and
// names the file to write in ORVANE_MENU_SHOT; elsewhere it is skipped.
#include <gtest/gtest.h>

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <cstdlib>

#include "tests/app/fx_fixture.h"
#include "wipe/ui/image_control.h"

namespace {

using FxPreviewMenuShot = FxTest;

TEST_F(FxPreviewMenuShot, RightClickOnThePreviewOpensTheMarks) {
  const char* shot = std::getenv("ORVANE_MENU_SHOT");
  if (!shot || QGuiApplication::platformName() != QLatin1String("xcb"))
    GTEST_SKIP() << "needs an X server; run through orvane_xvfb_tests";
  TFxClient& c = Start();
  ChooseImage(WritePattern("diagonal.tga"));
  ASSERT_EQ(c.State(), TFxClient::kStateIdle);
  c.ReverseAction()->setChecked(true);  // one mark on, one off

  ImageControl* preview = c.Preview();
  const QPoint at = preview->rect().center();
  QStringList seen;
  QRect menuArea;
  bool grabbed = false;
  // The menu runs its own loop; this looks at it from inside and closes it.
  QTimer::singleShot(800, [&] {
    QWidget* popup = QApplication::activePopupWidget();
    if (auto* menu = qobject_cast<QMenu*>(popup)) {
      for (QAction* a : menu->actions())
        seen << a->text() + (a->isChecked() ? QStringLiteral(" [x]") : QString());
      menuArea = menu->geometry();
      grabbed = QGuiApplication::primaryScreen()->grabWindow(0).save(QString::fromLocal8Bit(shot));
      menu->close();
    }
  });
  QContextMenuEvent click(QContextMenuEvent::Mouse, at, preview->mapToGlobal(at));
  QApplication::sendEvent(preview, &click);

  EXPECT_EQ(seen, (QStringList{QStringLiteral("Invert pattern"),
                               QStringLiteral("Reverse direction [x]"), QString(),
                               QStringLiteral("Render matte video...")}));
  EXPECT_TRUE(grabbed);
  EXPECT_EQ(menuArea.topLeft(), preview->mapToGlobal(at)) << "opens where the click was";
}

}  // namespace
