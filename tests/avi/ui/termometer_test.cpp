#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "avi/ui/termometer_control.h"
#include "avi/ui/termometer_dialog.h"
#include "controls/dialog_items.h"
#include "support/prompter.h"
#include "tests/testing/screenshot.h"

namespace {

TEST(TermometerControlTest, BarAndPercentFollowPositionInTotal) {
  const struct {
    int32_t clientWidth, position, total, filled, percent;
  } cases[] = {
      {200, 1, 200, 1, 1},  // 0.5 % rounds up; one pixel in two hundred
      {135, 1, 200, 0, 1},  // the bar truncates
      {135, 200, 200, 135, 100},
      {135, 67, 200, 45, 34},  // 33.5 % rounds up, 45.2 pixels truncate
      {135, 0, 200, 0, 0},
      {135, 0, 0, 0, 0},  // nothing to do: no division by zero
      {135, 5, 0, 0, 0},
      {1000, 1999999999, 2000000000, 999, 100},  // no overflow on the way
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TTermometerControl::FilledWidth(c.clientWidth, c.position, c.total), c.filled)
        << c.position << "/" << c.total;
    EXPECT_EQ(TTermometerControl::Percent(c.position, c.total), c.percent)
        << c.position << "/" << c.total;
  }
}

// What the bar really paints: blue up to the filled width, grey after it,
// and the red percentage in the middle.
TEST(TermometerControlTest, PaintsBlueGreyAndRedText) {
  const struct {
    int32_t position, total;
    int blueColumns;
    const char* text;
  } cases[] = {{50, 200, 50, "25%"}, {0, 0, 0, "0%"}, {200, 200, 200, "100%"}};
  for (const auto& c : cases) {
    QWidget window;
    auto* bar = new TTermometerControl(&window, TermometerDialog::kIdBar, c.total);
    bar->setGeometry(0, 0, 200, 20);
    bar->SetPosition(c.position);
    EXPECT_EQ(bar->Text(), c.text);
    const QImage image = bar->grab().toImage();
    int blue = 0, grey = 0, red = 0;
    for (int x = 0; x < image.width(); ++x) {
      const QRgb top = image.pixel(x, 1);
      if (top == qRgb(0, 0, 255))
        ++blue;
      if (top == qRgb(192, 192, 192))
        ++grey;
      for (int y = 0; y < image.height(); ++y) {
        const QRgb p = image.pixel(x, y);
        if (qRed(p) > 200 && qGreen(p) < 80 && qBlue(p) < 80)
          ++red;
      }
    }
    EXPECT_EQ(blue, c.blueColumns) << c.text;
    EXPECT_EQ(grey, 200 - c.blueColumns) << c.text;
    EXPECT_GT(red, 5) << c.text << ": the percentage is drawn";
    SaveScreenshot(*bar, QStringLiteral("termometer_%1").arg(c.position));
  }
}

// A click as the window system delivers it: to the window under the
// pointer, from where Qt hands it to the widget there or to the one holding
// the capture.
void ClickOnScreen(QWidget* widget) {
  QWidget* window = widget->window();
  const QPoint at = widget->mapTo(window, widget->rect().center());
  QTest::mouseClick(window->windowHandle(), Qt::LeftButton, Qt::NoModifier, at);
  QCoreApplication::processEvents();
}

class TermometerDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    owner.setGeometry(100, 100, 400, 300);
    owner.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&owner));
    button = new QPushButton(QStringLiteral("Image"), &owner);
    button->setGeometry(10, 10, 80, 30);
    button->show();
    QObject::connect(button, &QPushButton::clicked, [this] { ++ownerClicks; });
  }
  void TearDown() override { CloseProgress(dialog); }

  void Open(bool cancelAllowed, const QString& name = QStringLiteral("/work/out.avi")) {
    dialog = OpenProgress(&owner, QStringLiteral("Write AVI"), name, 200, cancelAllowed);
    ASSERT_NE(dialog, nullptr);
    QApplication::setActiveWindow(dialog);
  }
  QWidget* Cancel() const { return dialog->Item(TEDialog::kIdCancel); }

  RecordingPrompter prompter;
  ScopedPrompter scoped{prompter};
  QWidget owner;
  QPushButton* button = nullptr;
  int ownerClicks = 0;
  TermometerDialog* dialog = nullptr;
};

TEST_F(TermometerDialogTest, OpensCentredTopmostWithTheNameAndTheCapture) {
  Open(true);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_FALSE(dialog->isModal());
  EXPECT_EQ(dialog->windowTitle(), "Write AVI");
  EXPECT_EQ(dialog->ItemText(TermometerDialog::kIdFileName), "/work/out.avi");
  EXPECT_TRUE(dialog->windowFlags() & Qt::WindowStaysOnTopHint);
  EXPECT_FALSE(dialog->windowFlags() & Qt::WindowCloseButtonHint) << "no Close to choose";
  EXPECT_TRUE(dialog->windowFlags() & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(Cancel()->isEnabled());
  EXPECT_EQ(QWidget::mouseGrabber(), dialog);
  EXPECT_EQ(dialog->Bar()->Total(), 200);
  EXPECT_EQ(dialog->Bar()->Position(), 0);
  EXPECT_EQ(
      dialog->Bar()->geometry(),
      QRect(dialog->MapDialogRect(11, 21, 135, 10).x, dialog->MapDialogRect(11, 21, 135, 10).y,
            dialog->MapDialogRect(11, 21, 135, 10).w, dialog->MapDialogRect(11, 21, 135, 10).h));
  const QRect reference = owner.frameGeometry();
  const QPoint centred = TermometerDialog::CentredPlace(reference, dialog->frameGeometry().size(),
                                                        dialog->screen()->geometry().size());
  EXPECT_EQ(dialog->pos(), centred);
  SaveScreenshot(*dialog, QStringLiteral("termometer_dialog"));

  CloseProgress(dialog);
  EXPECT_EQ(dialog, nullptr);
  EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
}

TEST_F(TermometerDialogTest, CentresAndStaysOnTheScreen) {
  const QSize screen(800, 600);
  const QSize size(200, 100);
  const struct {
    QRect reference;
    QPoint expected;
  } cases[] = {
      {QRect(100, 100, 400, 300), QPoint(200, 200)}, {QRect(0, 0, 800, 600), QPoint(300, 250)},
      {QRect(700, 550, 400, 300), QPoint(790, 590)},  // no further than 10 inside
      {QRect(-500, -400, 300, 200), QPoint(0, 0)},    // never off the top left
      {QRect(0, 0, 101, 51), QPoint(0, 0)},           // (0 + 101 - 200) / 2 truncates to -49
  };
  for (const auto& c : cases) {
    EXPECT_EQ(TermometerDialog::CentredPlace(c.reference, size, screen), c.expected)
        << c.reference.x() << "," << c.reference.y();
  }
}

TEST_F(TermometerDialogTest, LongNamesAreShortenedToTheLine) {
  const QString longName = QStringLiteral("C:/video/exports/") + QString(60, QLatin1Char('x')) +
                           QStringLiteral("/wipe.avi");
  Open(true, longName);
  auto* line = dialog->ItemAs<QLabel>(TermometerDialog::kIdFileName);
  ASSERT_NE(line, nullptr);
  const QString shown = line->text();
  EXPECT_TRUE(shown.startsWith(QStringLiteral("C:/..."))) << shown.toStdString();
  EXPECT_TRUE(shown.endsWith(QStringLiteral("/wipe.avi"))) << shown.toStdString();
  EXPECT_LE(QFontMetrics(line->font()).horizontalAdvance(shown), line->contentsRect().width());
  EXPECT_EQ(dialog->FileName(), longName);
}

// Cancel, a click on it, Escape and Alt+F4 or the Close command: each only
// raises the flag, and only when the export allows a cancel.
TEST_F(TermometerDialogTest, EveryWayToCancelWhenAllowedAndNoneOtherwise) {
  const char* ways[] = {"click", "escape", "alt+f4", "return"};
  for (bool allowed : {true, false}) {
    for (const char* way : ways) {
      prompter.beeps = 0;
      Open(allowed);
      EXPECT_EQ(Cancel()->isEnabled(), allowed);
      ASSERT_TRUE(UpdateProgress(dialog, 1));
      const std::string w = way;
      if (w == "click") {
        ClickOnScreen(Cancel());
      } else if (w == "escape") {
        QTest::keyClick(dialog, Qt::Key_Escape);
      } else if (w == "return") {
        QTest::keyClick(dialog, Qt::Key_Return);  // Cancel is the default button
      } else {
        dialog->close();
      }
      EXPECT_EQ(UpdateProgress(dialog, 2), !allowed) << way << (allowed ? " allowed" : "");
      EXPECT_EQ(dialog->Cancelled(), allowed) << way;
      EXPECT_TRUE(dialog->isVisible()) << way << ": the export closes it, not the user";
      if (w == "click") {
        EXPECT_EQ(prompter.beeps, allowed ? 5 : 0);
      }
      CloseProgress(dialog);
    }
  }
}

TEST_F(TermometerDialogTest, CaptureKeepsClicksFromTheRestOfTheProgram) {
  Open(true);
  ClickOnScreen(button);
  EXPECT_TRUE(UpdateProgress(dialog, 1));
  EXPECT_EQ(ownerClicks, 0);
  EXPECT_FALSE(dialog->Cancelled()) << "a click outside Cancel is no cancel";
  CloseProgress(dialog);
  ClickOnScreen(button);
  EXPECT_EQ(ownerClicks, 1) << "the capture ends with the dialog";
}

TEST_F(TermometerDialogTest, UpdateMovesTheBarAndRunsPendingWork) {
  Open(true);
  int ran = 0;
  QTimer::singleShot(0, &owner, [&] { ++ran; });
  EXPECT_TRUE(UpdateProgress(dialog, 50));
  EXPECT_EQ(dialog->Bar()->Position(), 50);
  EXPECT_EQ(dialog->Bar()->Text(), "25%");
  EXPECT_EQ(ran, 1) << "the thread's pending events are dispatched";
  EXPECT_TRUE(UpdateProgress(nullptr, 3)) << "no dialog: go on";
}

// The export's own use: Open and Close in pairs on one dialog, with the
// wait cursor between them.
TEST_F(TermometerDialogTest, ExportProgressShowsWaitCursorFromOpenToClose) {
  TermometerDialog progress(&owner);
  ExportProgress& export_ = progress;
  ASSERT_EQ(QGuiApplication::overrideCursor(), nullptr);
  for (int run = 0; run < 2; ++run) {
    export_.Open("Write AVI", "/tmp/out.avi", 10, true);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_TRUE(progress.isVisible());
    EXPECT_FALSE(progress.Cancelled()) << "a new export starts uncancelled";
    EXPECT_EQ(QWidget::mouseGrabber(), &progress);

    QTest::mouseMove(&progress, QPoint(5, 5));
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::ArrowCursor) << "over the dialog";
    QTest::mouseMove(&progress, QPoint(-20, progress.height() + 20));
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor) << "elsewhere";

    for (int32_t i = 1; i <= 4; ++i)
      EXPECT_TRUE(export_.Update(i));
    EXPECT_EQ(progress.Bar()->Text(), "40%");
    QTest::keyClick(&progress, Qt::Key_Escape);
    EXPECT_FALSE(export_.Update(5));
    export_.Close();
    EXPECT_FALSE(progress.isVisible());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QWidget::mouseGrabber(), nullptr);
    EXPECT_TRUE(export_.Update(6)) << "closed: nothing to cancel";
  }
}

}  // namespace
