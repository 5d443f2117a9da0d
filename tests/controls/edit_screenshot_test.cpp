// What the two edits look like at rest, with the focus and with their text
// highlighted. The pixels are checked on every run; with ORVANE_SCREENSHOTS=1
// the pictures are also written for a person to look at.
#include <gtest/gtest.h>

#include <QImage>
#include <QTest>
#include <functional>

#include "controls/drawing_objects.h"
#include "controls/int_edit.h"
#include "controls/time_code_edit.h"
#include "support/time_code.h"
#include "tests/controls/edit_test_window.h"
#include "tests/testing/screenshot.h"

namespace {

int Count(const QImage& image, const std::function<bool(QRgb)>& wanted) {
  int n = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      n += wanted(image.pixel(x, y) | 0xFF000000);
  return n;
}
bool Dark(QRgb p) {
  return qGray(p) < 80;
}
auto Is(QColor colour) {
  return [rgb = colour.rgb()](QRgb p) { return p == rgb; };
}

QImage Shoot(QWidget& widget, const char* name) {
  SaveScreenshot(widget, QString::fromLatin1(name));
  return widget.grab().toImage();
}

TEST(EditScreenshotTest, BothEditsAtRestFocusedAndSelected) {
  EditTestWindow window;
  auto* timeEdit =
      new TimeCodeEdit(&window, 2115, 1000, 3, 10000, 1, kNtscFrameRate, QRect(20, 20, 80, 19));
  auto* intEdit = new TIntEdit(&window, 2118, -24, 279, QRect(120, 20, 42, 19));
  intEdit->setFont(DialogFont());
  intEdit->SetValue(128, true);
  window.ShowActive();
  window.other->setFocus();
  const QColor blue(0, 0, 255), yellow(255, 255, 0), white(Qt::white), black(Qt::black);
  const int caretX = timeEdit->CellLeft(4);

  const QImage normal = Shoot(*timeEdit, "time_code_edit_normal");
  EXPECT_GT(Count(normal, Dark), 20) << "the digits are drawn";
  EXPECT_EQ(Count(normal, Is(blue)), 0);
  EXPECT_EQ(QColor(normal.pixel(caretX, 1)), white);

  QTest::mouseClick(timeEdit, Qt::LeftButton, Qt::NoModifier, QPoint(caretX + 2, 10));
  const QImage focused = Shoot(*timeEdit, "time_code_edit_focused");
  EXPECT_EQ(Count(focused, Is(blue)), 0);
  // The caret inverts the current cell over the full height, and only it.
  EXPECT_EQ(QColor(focused.pixel(caretX, 1)), black);
  EXPECT_EQ(QColor(focused.pixel(caretX + timeEdit->CellWidth(), timeEdit->height() - 2)), black);
  EXPECT_EQ(QColor(focused.pixel(caretX - 2, 1)), white);

  window.other->setFocus();
  timeEdit->setFocus(Qt::TabFocusReason);
  const QImage selected = Shoot(*timeEdit, "time_code_edit_selected");
  EXPECT_GT(Count(selected, Is(blue)), 100) << "white on blue behind the cells";
  EXPECT_GT(Count(selected, Is(yellow)), 0) << "the caret inverts the blue";
  EXPECT_EQ(QColor(selected.pixel(1, 1)), white) << "only the cells turn blue";

  window.other->setFocus();
  timeEdit->setEnabled(false);
  EXPECT_EQ(Count(Shoot(*timeEdit, "time_code_edit_disabled"), Dark), 0) << "greyed";

  const auto highlight = Is(intEdit->palette().color(QPalette::Active, QPalette::Highlight));
  EXPECT_EQ(Count(Shoot(*intEdit, "int_edit_normal"), highlight), 0);
  QTest::mouseClick(intEdit, Qt::LeftButton, Qt::NoModifier, QPoint(6, 10));
  ASSERT_TRUE(intEdit->hasFocus());
  EXPECT_EQ(Count(Shoot(*intEdit, "int_edit_focused"), highlight), 0);
  window.other->setFocus();
  intEdit->setFocus(Qt::TabFocusReason);
  EXPECT_EQ(intEdit->selectedText(), "128");
  EXPECT_GT(Count(Shoot(*intEdit, "int_edit_selected"), highlight), 20);
}

}  // namespace
