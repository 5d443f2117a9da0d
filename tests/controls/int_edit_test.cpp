#include "controls/int_edit.h"

#include <gtest/gtest.h>

#include <QClipboard>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>
#include <QTimer>

#include "controls/drawing_objects.h"
#include "controls/spin_button.h"
#include "support/prompter.h"
#include "tests/controls/edit_test_window.h"

namespace {

class IntEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    edit = new TIntEdit(&window, 2114, 0, 255, QRect(20, 20, 60, 20));
    edit->setFont(DialogFont());
    window.ShowActive();
  }
  // Types into the emptied, focused edit.
  void TypeAfresh(const char* keys) {
    edit->setFocus();
    edit->clear();
    window.TakePosts();
    QTest::keyClicks(edit, QString::fromLatin1(keys));
  }
  void RightDrag(QPoint from, int dy) {
    QTest::mousePress(edit, Qt::RightButton, Qt::NoModifier, from);
    QTest::mouseMove(edit, from + QPoint(0, dy));
    QTest::mouseRelease(edit, Qt::RightButton, Qt::NoModifier, from + QPoint(0, dy));
  }
  // The first and last inked column of each glyph, left to right: where a
  // person sees the characters, found in what the edit really drew.
  std::vector<std::pair<int, int>> InkRuns() {
    window.other->setFocus();  // no text cursor among the glyphs
    const QImage image = edit->grab().toImage();
    std::vector<std::pair<int, int>> runs;
    // The frame is lighter than the text; a glyph scrolled against it is
    // still seen.
    for (int x = 1; x < edit->Spin()->x(); ++x) {
      bool ink = false;
      for (int y = image.height() / 2 - 4; y <= image.height() / 2 + 4; ++y)
        ink = ink || qGray(image.pixel(x, y)) < 128;
      if (ink && (runs.empty() || runs.back().second != x - 1))
        runs.push_back({x, x});
      if (ink)
        runs.back().second = x;
    }
    return runs;
  }

  RecordingPrompter prompter;
  ScopedPrompter scoped{prompter};
  EditTestWindow window;
  TIntEdit* edit = nullptr;
};

TEST_F(IntEditTest, ReadsTheTextClampedToTheRange) {
  struct Case {
    const char* text;
    bool typed;
    int min, max, expected;
  } cases[] = {{"", true, 10, 20, 10},      {"-", true, 0, 255, 0},   {"-", true, 3, 9, 3},
               {"300", true, 0, 255, 255},  {"008", true, 0, 255, 8}, {"-40", true, -24, 279, -24},
               {"12ab", false, 5, 200, 12}, {"ab", false, 5, 200, 5}, {" +7", false, 0, 9, 7}};
  for (const Case& c : cases) {
    edit->SetRange(c.min, c.max);
    if (c.typed)
      TypeAfresh(c.text);
    else
      edit->setText(QString::fromLatin1(c.text));
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.text));
    EXPECT_EQ(edit->GetValue(), c.expected) << '"' << c.text << "\" in " << c.min << ".." << c.max;
  }
  EXPECT_EQ(prompter.beeps, 0);
}

TEST_F(IntEditTest, FilterTakesDigitsAndALeadingMinusAndPostsEachChange) {
  edit->SetRange(-100, 100);
  TypeAfresh("5");
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClicks(edit, "-");
  QTest::keyClick(edit, Qt::Key_End);
  QTest::keyClicks(edit, "-x.");
  EXPECT_EQ(edit->text(), "-5");
  EXPECT_EQ(prompter.beeps, 3) << "minus away from the start and other characters beep";
  const auto posts = window.TakePosts();
  ASSERT_EQ(posts.size(), 2u);
  EXPECT_EQ(posts[0].id, 2114);
  EXPECT_EQ(posts[0].control, reinterpret_cast<intptr_t>(edit));
  QTest::keyClick(edit, Qt::Key_Backspace);
  QTest::keyClick(edit, Qt::Key_Home);
  QTest::keyClick(edit, Qt::Key_Delete);
  EXPECT_EQ(edit->text(), "");
  EXPECT_EQ(window.TakePosts().size(), 2u);
  TypeAfresh("1234567890");
  EXPECT_EQ(edit->text(), "123456789");
  EXPECT_EQ(prompter.beeps, 4) << "the tenth digit does not fit";
}

TEST_F(IntEditTest, TextIsRewrittenInNormalFormOnFocusLossOrForcedWrite) {
  for (auto [typed, shown] : {std::pair{"300", "255"}, std::pair{"008", "8"}, std::pair{"", "0"}}) {
    TypeAfresh(typed);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(edit->text(), shown) << typed;
  }
  edit->setText("008");
  edit->SetValue(8, false);
  EXPECT_EQ(edit->text(), "008");
  edit->SetValue(8, true);
  EXPECT_EQ(edit->text(), "8");
  TypeAfresh("200");
  window.TakePosts();
  edit->SetRange(-24, 100);
  EXPECT_EQ(edit->text(), "200") << "a narrower range leaves the text to the focus loss";
  EXPECT_EQ(edit->GetValue(), 100);
  QTest::keyClick(edit, Qt::Key_Tab);
  EXPECT_EQ(edit->text(), "100");
  EXPECT_TRUE(window.TakePosts().empty()) << "only the user's changes are posted";
}

TEST_F(IntEditTest, ValuesBeyondEitherEndAreShownAsThatEnd) {
  edit->SetRange(-10, 10);
  struct Case {
    int value;
    const char* shown;
  } cases[] = {{-50, "-10"}, {-11, "-10"}, {-10, "-10"}, {-9, "-9"},
               {9, "9"},     {10, "10"},   {11, "10"},   {50, "10"}};
  for (const Case& c : cases) {
    edit->SetValue(c.value, true);
    EXPECT_EQ(edit->text(), QString::fromLatin1(c.shown)) << c.value;
  }
  for (auto [typed, shown] : {std::pair{"-50", "-10"}, std::pair{"50", "10"}}) {
    TypeAfresh(typed);
    QTest::keyClick(edit, Qt::Key_Tab);
    EXPECT_EQ(edit->text(), shown) << typed;
  }
}

TEST_F(IntEditTest, SpinStepsByOneTenOrHundredAndTakesTheFocus) {
  struct Case {
    int start;
    bool up;
    Qt::KeyboardModifiers modifiers;
    int expected;
  } cases[] = {{250, true, Qt::ControlModifier, 255},
               {5, false, Qt::ShiftModifier, 0},
               {128, true, Qt::NoModifier, 129},
               {200, false, Qt::ControlModifier, 100}};
  SpinButton* spin = edit->Spin();
  for (const Case& c : cases) {
    window.other->setFocus();
    edit->SetValue(c.start, true);
    window.TakePosts();
    QTest::mouseClick(spin, Qt::LeftButton, c.modifiers,
                      QPoint(spin->width() / 2, c.up ? 2 : spin->height() - 3));
    EXPECT_EQ(edit->GetValue(), c.expected) << c.start << (c.up ? " up" : " down");
    EXPECT_TRUE(edit->hasFocus());
    EXPECT_EQ(window.TakePosts().size(), 1u);
    edit->SetValue(c.start, true);
    QTest::keyClick(edit, c.up ? Qt::Key_Up : Qt::Key_Down, c.modifiers);
    EXPECT_EQ(edit->GetValue(), c.expected) << "arrow key";
  }
}

TEST_F(IntEditTest, RightDragTurnsTheDigitUnderThePointer) {
  edit->SetValue(128, true);
  const auto runs = InkRuns();
  ASSERT_EQ(runs.size(), 3u) << "the three digits of 128 drawn apart";
  const int steps[] = {100, 10, 1};
  for (int press = 0; press < 6; ++press) {  // first and last inked column of each digit
    const int k = press / 2;
    edit->SetValue(128, true);
    window.TakePosts();
    const QPoint from(press % 2 ? runs[k].second : runs[k].first, edit->height() / 2);
    QTest::mousePress(edit, Qt::RightButton, Qt::NoModifier, from);
    ASSERT_TRUE(edit->IsDragging());
    EXPECT_EQ(edit->selectedText(), QString(QLatin1Char("128"[k])));
    QTest::mouseMove(edit, from - QPoint(0, 8));
    QTest::mouseRelease(edit, Qt::RightButton, Qt::NoModifier, from);
    EXPECT_FALSE(edit->IsDragging());
    EXPECT_EQ(edit->GetValue(), std::min(255, 128 + steps[k])) << "x " << from.x();
    EXPECT_EQ(window.TakePosts().size(), 1u);
  }
  edit->SetValue(128, true);
  const QPoint from((runs[1].first + runs[1].second) / 2, 10);
  QTest::mousePress(edit, Qt::RightButton, Qt::NoModifier, from);
  window.TakePosts();
  struct Move {
    int dy, expected;
    size_t posts;
  } moves[] = {{-7, 128, 0}, {-16, 148, 1}, {-20, 148, 0},
               {8, 118, 1},  {400, 0, 1},   {-400, 255, 1}};
  for (const Move& m : moves) {  // always measured from where the drag began
    QTest::mouseMove(edit, from + QPoint(0, m.dy));
    EXPECT_EQ(edit->GetValue(), m.expected) << "moved " << m.dy;
    EXPECT_EQ(window.TakePosts().size(), m.posts) << "moved " << m.dy;
  }
  QTest::mouseMove(edit, from + QPoint(0, -16));
  EXPECT_EQ(edit->selectedText(), "4") << "the dragged digit stays selected";
  QTest::mouseRelease(edit, Qt::RightButton, Qt::NoModifier, from);
}

TEST_F(IntEditTest, RightPressBesideTheTextTakesTheLastDigitAndMinusTakesNothing) {
  edit->SetRange(-24, 279);
  edit->SetValue(128, true);
  RightDrag(QPoint(edit->Spin()->x() - 2, 10), -8);
  EXPECT_EQ(edit->GetValue(), 129);
  edit->SetValue(-12, true);
  const auto runs = InkRuns();
  ASSERT_EQ(runs.size(), 3u);
  QTest::mousePress(edit, Qt::RightButton, Qt::NoModifier, QPoint(runs[0].first, 10));
  EXPECT_FALSE(edit->IsDragging());
  QTest::mouseRelease(edit, Qt::RightButton, Qt::NoModifier, QPoint(runs[0].first, 10));
  bool menuSeen = false;  // the drag owns the right button: no menu comes up
  QTimer::singleShot(200, [&menuSeen] {
    if (QWidget* popup = QApplication::activePopupWidget()) {
      menuSeen = true;
      popup->close();
    }
  });
  QTest::mousePress(edit, Qt::RightButton, Qt::NoModifier, QPoint(runs[1].first, 10));
  QTest::qWait(300);
  QTest::mouseRelease(edit, Qt::RightButton, Qt::NoModifier, QPoint(runs[1].first, 10));
  EXPECT_FALSE(menuSeen);
}

TEST_F(IntEditTest, RightPressGrabsTheCharacterDrawnUnderItWhenTheTextHasScrolled) {
  // The Alpha edit at its size in the dialog: "-127" with the cursor at its
  // end does not fit and is drawn scrolled to the left.
  edit->setGeometry(20, 20, 42, 19);
  edit->SetRange(-127, 382);
  edit->SetValue(-127, true);
  const auto runs = InkRuns();
  ASSERT_EQ(runs.size(), 4u) << "the four characters of -127 drawn apart";
  int columns = 0;
  for (size_t k = 0; k < runs.size(); ++k) {
    for (int x = runs[k].first; x <= runs[k].second; ++x, ++columns) {
      edit->SetValue(-127, true);
      edit->setCursorPosition(4);
      QTest::mousePress(edit, Qt::RightButton, Qt::NoModifier, QPoint(x, edit->height() / 2));
      EXPECT_EQ(edit->IsDragging(), k > 0) << "x " << x;
      if (k > 0) {
        EXPECT_EQ(edit->selectedText(), QString(QLatin1Char("-127"[k]))) << "x " << x;
      }
      QTest::mouseRelease(edit, Qt::RightButton, Qt::NoModifier, QPoint(x, edit->height() / 2));
    }
  }
  EXPECT_GE(columns, 12);
}

TEST_F(IntEditTest, PasteIsFilteredAsAWholeFromKeysAndMenu) {
  struct Case {
    const char* before;
    bool caretAtStart;
    const char* clip;
    const char* after;
  } cases[] = {{"", false, "42", "42"},    {"", false, "4a2", ""},
               {"5", true, "-7", "-75"},   {"5", false, "-7", "5"},
               {"", false, " 12\n", "12"}, {"", false, "12345678901", "123456789"}};
  for (bool menu : {false, true}) {
    for (const Case& c : cases) {
      TypeAfresh(c.before);
      window.TakePosts();
      if (c.caretAtStart)
        edit->setCursorPosition(0);
      prompter.beeps = 0;
      QGuiApplication::clipboard()->setText(QString::fromLatin1(c.clip));
      if (menu) {
        QTimer::singleShot(0, [] {
          auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget());
          ASSERT_TRUE(popup);
          if (auto* paste = popup->findChild<QAction*>(QStringLiteral("edit-paste")))
            paste->trigger();
          popup->close();
        });
        QContextMenuEvent event(QContextMenuEvent::Keyboard, {5, 5},
                                edit->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(edit, &event);
      } else {
        QTest::keyClick(edit, Qt::Key_V, Qt::ControlModifier);
      }
      const bool refused = QString::fromLatin1(c.after) == QString::fromLatin1(c.before);
      EXPECT_EQ(edit->text(), QString::fromLatin1(c.after)) << c.clip << (menu ? " from menu" : "");
      EXPECT_EQ(prompter.beeps, refused ? 1 : 0) << c.clip;
      EXPECT_EQ(window.TakePosts().size(), refused ? 0u : 1u) << c.clip;
    }
  }
}

}  // namespace
