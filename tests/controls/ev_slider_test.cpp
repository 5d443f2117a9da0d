#include "controls/ev_slider.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTest>
#include <memory>
#include <vector>

#include "controls/dialog_items.h"
#include "controls/private_messages.h"
#include "tests/testing/screenshot.h"

namespace {

constexpr int kSliderId = 2116;
constexpr int kEditId = 2118;

// The slider's parent: its linked edit, a bystander with id 0, and the
// commands that reach it.
class Host : public QWidget {
 public:
  Host() {
    resize(80, 200);
    edit = new QLineEdit(this);
    edit->setGeometry(0, 170, 60, 20);
    SetDialogItemId(edit, kEditId);
    other = new QLineEdit(QStringLiteral("other"), this);
    SetDialogItemId(other, 0);
  }
  std::unique_ptr<TEVSlider> Make(int linkedId, int value, int from, int to) {
    auto slider = std::make_unique<TEVSlider>(this, kSliderId, linkedId, value, from, to);
    slider->setGeometry(10, 10, 36, 150);  // a track of 129 pixels
    return slider;
  }
  bool event(QEvent* e) override {
    if (!CommandMessage::Is(e))
      return QWidget::event(e);
    const auto* c = static_cast<CommandMessage*>(e);
    commands.push_back({c->Id(), c->NotifyCode()});
    return true;
  }

  QLineEdit* edit;
  QLineEdit* other;
  std::vector<std::pair<int, int>> commands;
};

class TEVSliderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
  }
  // Presses on the thumb's centre, moves by dy in steps, releases.
  static void Drag(TEVSlider& slider, std::initializer_list<int> steps) {
    const QPoint from = slider.ThumbRect().center();
    QTest::mousePress(&slider, Qt::LeftButton, Qt::NoModifier, from);
    for (int dy : steps)
      QTest::mouseMove(&slider, from + QPoint(0, dy));
    QTest::mouseRelease(&slider, Qt::LeftButton, Qt::NoModifier,
                        from + QPoint(0, *(steps.end() - 1)));
  }
  Host host;
};

TEST_F(TEVSliderTest, SetUpPlacesTheThumbAndWritesEvenANegativeLink) {
  auto slider = host.Make(-kEditId, 128, -24, 279);
  EXPECT_EQ(slider->RangeMax(), 303);
  EXPECT_EQ(slider->GetPosition(), 152);
  EXPECT_EQ(slider->ThumbRect().top(), 65) << "about halfway down 129 pixels";
  EXPECT_EQ(host.edit->text(), "128");
  EXPECT_TRUE(host.commands.empty()) << "set-up is not a user move";
  EXPECT_EQ(TEVSlider(&host, kSliderId, 0, 5, 0, 10).geometry(), QRect(0, 0, 40, 100));
}

TEST_F(TEVSliderTest, SetValueClampsSkipsRepeatsAndWritesOnlyAPositiveLink) {
  auto slider = host.Make(kEditId, 128, -24, 279);
  slider->SetValue(300, false);
  EXPECT_EQ(slider->GetValue(), 279);
  EXPECT_EQ(slider->GetPosition(), 303);
  EXPECT_EQ(host.edit->text(), "279");
  host.edit->setText("typed");
  slider->SetValue(279, false);
  EXPECT_EQ(host.edit->text(), "typed") << "an unchanged value does nothing";
  slider->SetValue(279, true);
  EXPECT_EQ(host.edit->text(), "279") << "force writes it again";
  EXPECT_TRUE(host.commands.empty()) << "SetValue tells the parent nothing";

  auto quiet = host.Make(-kEditId, 128, -24, 279);
  host.edit->setText("typed");
  quiet->SetValue(-100, true);
  EXPECT_EQ(quiet->GetValue(), -24);
  EXPECT_EQ(host.edit->text(), "typed") << "a negative link is not written by SetValue";
}

TEST_F(TEVSliderTest, DragToTheTopGivesTheTopValueAndFollowsThePointer) {
  for (auto [from, to, top] : {std::tuple{-24, 279, -24}, std::tuple{279, -24, 279}}) {
    host.commands.clear();
    auto slider = host.Make(-kEditId, 128, from, to);
    Drag(*slider, {-20, -60, -200});  // past the top
    EXPECT_EQ(slider->GetValue(), top);
    EXPECT_EQ(host.edit->text(), QString::number(top));
    ASSERT_FALSE(host.commands.empty());
    EXPECT_EQ(host.commands.back(), std::make_pair(kSliderId, 0));
  }
  host.commands.clear();
  auto slider = host.Make(kEditId, 0, 0, 129);  // one position per pixel
  Drag(*slider, {12, 25, 37, 50});
  EXPECT_EQ(slider->GetValue(), 50);
  EXPECT_EQ(host.commands.size(), 4u) << "one command per step that moved";
  Drag(*slider, {7, 19, 33, -5, 0});  // out and back lands where it began
  EXPECT_EQ(slider->GetValue(), 50);
}

TEST_F(TEVSliderTest, KeysAndSlotClicksMoveByLinePageAndEnds) {
  auto slider = host.Make(-kEditId, 128, -24, 279);
  slider->SetPageSize(10);
  slider->setFocus();
  const struct {
    Qt::Key key;
    int expected;
  } steps[] = {
      {Qt::Key_PageDown, 138}, {Qt::Key_Down, 139}, {Qt::Key_Right, 140}, {Qt::Key_PageUp, 130},
      {Qt::Key_Up, 129},       {Qt::Key_Left, 128}, {Qt::Key_End, 279},   {Qt::Key_PageDown, 279},
      {Qt::Key_Home, -24},     {Qt::Key_Up, -24},
  };
  for (const auto& s : steps) {
    QTest::keyClick(slider.get(), s.key);
    EXPECT_EQ(slider->GetValue(), s.expected) << QKeySequence(s.key).toString().toStdString();
    EXPECT_EQ(host.edit->text(), QString::number(s.expected));
  }
  EXPECT_EQ(host.commands.size(), std::size(steps)) << "every key move is reported";
  QKeyEvent held(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true, 3);
  QApplication::sendEvent(slider.get(), &held);
  EXPECT_EQ(slider->GetValue(), -21) << "a repeat count of 3 moves three lines";

  slider->SetValue(128, false);
  const int x = slider->ThumbRect().center().x();
  QTest::mouseClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 148));
  EXPECT_EQ(slider->GetValue(), 138) << "a click below the thumb pages down";
  QTest::mouseClick(slider.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 1));
  EXPECT_EQ(slider->GetValue(), 128);
}

TEST_F(TEVSliderTest, ReversedRangeStandsForTheHighEndAtTheTop) {
  auto slider = host.Make(-kEditId, 5, 0, 10);
  slider->SetValueRange(10, 0);
  EXPECT_TRUE(slider->Reversed());
  EXPECT_EQ(slider->GetPosition(), 5);
  EXPECT_TRUE(host.commands.empty()) << "a new range is not a user move";
  slider->setFocus();
  QTest::keyClick(slider.get(), Qt::Key_Home);
  EXPECT_EQ(slider->GetValue(), 10);
  QTest::keyClick(slider.get(), Qt::Key_Down);
  EXPECT_EQ(slider->GetValue(), 9);
  slider->SetValue(2, false);
  EXPECT_EQ(slider->GetPosition(), 8);
  slider->SetValueRange(100, 200);
  EXPECT_EQ(slider->GetValue(), 2) << "the stored value is kept outside the new range";
  EXPECT_EQ(slider->GetPosition(), 0);
}

TEST_F(TEVSliderTest, WithoutALinkNoItemIsEverWritten) {
  host.edit->setText("edit");
  auto slider = host.Make(0, 128, -24, 279);
  slider->SetValue(10, true);
  slider->setFocus();
  QTest::keyClick(slider.get(), Qt::Key_PageDown);
  Drag(*slider, {-200});
  EXPECT_EQ(slider->GetValue(), -24);
  EXPECT_EQ(host.edit->text(), "edit");
  EXPECT_EQ(host.other->text(), "other") << "id 0 is nobody's link";
  EXPECT_EQ(host.commands.size(), 2u);
}

TEST_F(TEVSliderTest, ThumbAndRulerAreDrawnInTheSystemColours) {
  auto slider = host.Make(-kEditId, 128, -24, 279);
  slider->SetRuler((48 + 256) / 2, false);
  const QImage shot = slider->grab().toImage();
  SaveScreenshot(*slider, QStringLiteral("slider_alpha_128"));
  const QRect thumb = slider->ThumbRect();
  const QColor background = slider->palette().color(slider->backgroundRole());
  const QColor text = slider->palette().color(QPalette::ButtonText);
  for (int y = 0; y < kThumbHeight; ++y) {
    for (int x = 0; x < kThumbWidth; ++x) {
      const char c = kSliderThumbRows[y][x];
      if (c != '.' && c != 'K' && c != 'R')
        continue;
      const QColor want = c == '.' ? background : c == 'K' ? text : QColor(255, 0, 0);
      ASSERT_EQ(shot.pixelColor(thumb.left() + x, thumb.top() + y), want) << x << "," << y;
    }
  }
  // Ticks every 152 positions and at the bottom, none between.
  const int tickX = thumb.left() - 4;
  for (int p : {0, 152, 303}) {
    EXPECT_EQ(shot.pixelColor(tickX, slider->ThumbTopAt(p) + kThumbHeight / 2), text) << p;
  }
  EXPECT_EQ(shot.pixelColor(tickX, slider->ThumbTopAt(76) + kThumbHeight / 2), background);

  slider->setEnabled(false);
  SaveScreenshot(*slider, QStringLiteral("slider_disabled"));
  EXPECT_EQ(slider->grab().toImage().pixelColor(thumb.left() + 3, thumb.top()),
            slider->palette().color(QPalette::Disabled, QPalette::ButtonText));
}

}  // namespace
