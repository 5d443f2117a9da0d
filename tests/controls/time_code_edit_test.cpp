#include "controls/time_code_edit.h"

#include <gtest/gtest.h>

#include <QTest>
#include <memory>

#include "support/prompter.h"
#include "support/time_code.h"
#include "tests/controls/edit_test_window.h"

namespace {

class TimeCodeEditTest : public ::testing::Test {
 protected:
  void SetUp() override { window.ShowActive(); }
  // The duration control as the effect dialog makes it, unless told otherwise.
  void Make(int value, int max = 10000, int mode = 1, float fps = kNtscFrameRate) {
    edit = std::make_unique<TimeCodeEdit>(&window, 2115, value, 3, max, mode, fps,
                                          QRect(20, 20, 100, 20));
    edit->show();
  }
  // Focuses the control and walks the cursor to a cell with the keyboard.
  void FocusOnCell(int cell) {
    edit->setFocus(Qt::TabFocusReason);
    Key(Qt::Key_Home);
    for (int i = 0; i < cell; ++i)
      Key(Qt::Key_Right);
    window.TakeCommands();
  }
  void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(edit.get(), key, modifiers);
  }
  QPoint CellCentre(int cell) const {
    return {edit->CellLeft(cell) + edit->CellWidth() / 2, edit->height() / 2};
  }
  void Drag(Qt::MouseButton button, QPoint from, int dy) {
    QTest::mousePress(edit.get(), button, Qt::NoModifier, from);
    QTest::mouseMove(edit.get(), from + QPoint(0, dy));
    QTest::mouseRelease(edit.get(), button, Qt::NoModifier, from + QPoint(0, dy));
  }

  RecordingPrompter prompter;
  ScopedPrompter scoped{prompter};
  EditTestWindow window;
  std::unique_ptr<TimeCodeEdit> edit;
};

TEST_F(TimeCodeEditTest, ShowsItsValueInTheModeAndRateItWasMadeWith) {
  struct Case {
    int mode;
    float fps;
    int value;
    const char* shown;
    int read;
  } cases[] = {{1, kNtscFrameRate, 1000, "00:00:01:00", 1000},
               {1, kNtscFrameRate, 0, "00:00:00:00", 3},
               {1, kNtscFrameRate, 20000, "00:00:10:00", 10000},
               {2, 25.0f, 1500, "0000037", 1480},
               {0, 25.0f, 1500, "00:00:01:500", 1500}};
  for (const Case& c : cases) {
    Make(c.value, 10000, c.mode, c.fps);
    edit->SetTime(c.value, false);
    EXPECT_EQ(edit->Text(), c.shown);
    EXPECT_EQ(edit->GetTime(true), c.read) << c.shown;
    EXPECT_EQ(edit->Cursor(), edit->Last());
  }
}

TEST_F(TimeCodeEditTest, KeysChangeTheCurrentCellWithCarriesAndClamping) {
  struct Case {
    int mode, value, max, cell;
    Qt::Key key;
    int expected;
    const char* shown;
  } cases[] = {
      {1, 968, 10000, 7, Qt::Key_Up, 1001, "00:00:01:00"},        // 29 frames + 1 make a second
      {1, 60000, 120000, 5, Qt::Key_Down, 59000, "00:00:59:00"},  // borrow from the minutes
      {1, 1000, 10000, 2, Qt::Key_PageUp, 10000, "00:00:10:00"},  // 50 minutes, clamped
      {1, 834, 10000, 6, Qt::Key_Up, 1168, "00:00:01:05"},        // 25 frames + 10
      {1, 5334, 10000, 5, Qt::Key_PageDown, 334, "00:00:00:10"},
      {1, 5000, 10000, 5, Qt::Key_Delete, 3, "00:00:00:00"},
      {2, 1000, 10000, 6, Qt::Key_Down, 968, "0000029"},
      {0, 1999, 10000, 8, Qt::Key_Up, 2000, "00:00:02:000"},
  };
  for (const Case& c : cases) {
    Make(c.value, c.max, c.mode);
    FocusOnCell(c.cell);
    Key(c.key);
    EXPECT_EQ(edit->Value(), c.expected) << c.value << " cell " << c.cell;
    EXPECT_EQ(edit->Text(), c.shown) << c.value << " cell " << c.cell;
    const auto commands = window.TakeCommands();
    ASSERT_EQ(commands.size(), 1u);
    EXPECT_EQ(commands[0].id, 2115);
    EXPECT_EQ(commands[0].code, kEnChange);
  }
  Make(3);  // at zero with min 3: the value stays 3, nobody is told
  FocusOnCell(7);
  Key(Qt::Key_Down);
  EXPECT_EQ(edit->GetTime(true), 3);
  EXPECT_EQ(edit->Text(), "00:00:00:00");
  EXPECT_TRUE(window.TakeCommands().empty());
  Key(Qt::Key_A);
  Key(Qt::Key_5, Qt::KeypadModifier);
  EXPECT_EQ(prompter.beeps, 1) << "letters beep";
  EXPECT_EQ(edit->Text(), "00:00:00:00") << "keypad digits are not taken";
}

TEST_F(TimeCodeEditTest, DigitsReplaceCellsAndBackspaceClearsLeftward) {
  Make(1000, 3600000);
  FocusOnCell(2);
  for (Qt::Key k : {Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_9})
    Key(k);
  EXPECT_EQ(edit->Text(), "00:12:37:00") << "90 frames are three seconds, at once";
  EXPECT_EQ(edit->Cursor(), 7);
  EXPECT_EQ(window.TakeCommands().size(), 5u);
  Key(Qt::Key_5);
  EXPECT_TRUE(edit->ShiftEntry()) << "a digit in the last cell starts entry from the right";
  FocusOnCell(0);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(edit->Text(), "00:12:37:05");
  EXPECT_EQ(edit->Cursor(), 0);
  EXPECT_TRUE(window.TakeCommands().empty()) << "nothing left of the first cell";
  FocusOnCell(3);
  Key(Qt::Key_Backspace);
  EXPECT_EQ(edit->Cursor(), 2);
  EXPECT_EQ(edit->Text(), "00:02:37:05");
}

TEST_F(TimeCodeEditTest, DoubleClickThenDigitsEnterFromTheRightUnclamped) {
  Make(1000);
  QTest::mouseDClick(edit.get(), Qt::LeftButton, Qt::NoModifier, CellCentre(2));
  EXPECT_TRUE(edit->Selected());
  EXPECT_EQ(edit->Cursor(), 7);
  window.TakeCommands();
  struct Step {
    Qt::Key key;
    const char* shown;
    int value;
  } steps[] = {{Qt::Key_1, "00:00:00:01", 33},
               {Qt::Key_0, "00:00:00:10", 334},
               {Qt::Key_0, "00:00:01:00", 1000},
               {Qt::Key_0, "00:00:10:00", 10000},
               {Qt::Key_5, "00:01:00:05", 60167}};
  for (const Step& s : steps) {
    Key(s.key);
    EXPECT_EQ(edit->Text(), s.shown);
    EXPECT_EQ(edit->Value(), s.value) << "the value follows the digits unclamped";
  }
  // The first digit reset the value to the minimum, then each digit told.
  EXPECT_EQ(window.TakeCommands().size(), 6u);
  Key(Qt::Key_Space);
  EXPECT_EQ(edit->Value(), 10000);
  EXPECT_EQ(edit->Text(), "00:00:10:00");
  EXPECT_FALSE(edit->ShiftEntry());
}

TEST_F(TimeCodeEditTest, CommitThatOnlyNormalisesTheCellsRepaintsThem) {
  Make(1000);
  QTest::mouseDClick(edit.get(), Qt::LeftButton, Qt::NoModifier, CellCentre(7));
  Key(Qt::Key_9);
  Key(Qt::Key_5);
  QCoreApplication::processEvents();
  EXPECT_EQ(edit->PaintedText(), "00:00:00:95");
  const int typed = edit->Value();
  window.TakeCommands();
  Key(Qt::Key_Space);
  QCoreApplication::processEvents();
  EXPECT_EQ(edit->Value(), typed);
  EXPECT_TRUE(window.TakeCommands().empty());
  EXPECT_EQ(edit->PaintedText(), "00:00:03:05") << "the screen shows what GetTime reads";
}

TEST_F(TimeCodeEditTest, FocusLossCommitsShiftEntryAndTabFocusHighlights) {
  Make(1000);
  QTest::mouseDClick(edit.get(), Qt::LeftButton, Qt::NoModifier, CellCentre(7));
  for (Qt::Key k : {Qt::Key_2, Qt::Key_0, Qt::Key_0, Qt::Key_0, Qt::Key_0})
    Key(k);
  window.TakeCommands();
  Key(Qt::Key_Tab);
  EXPECT_FALSE(edit->hasFocus());
  EXPECT_FALSE(edit->HasCaret());
  EXPECT_EQ(edit->Text(), "00:00:10:00") << "two minutes typed, clamped on leaving";
  EXPECT_EQ(window.TakeCommands().size(), 1u);
  edit->setFocus(Qt::TabFocusReason);
  EXPECT_TRUE(edit->HasCaret());
  EXPECT_TRUE(edit->Selected());
  Key(Qt::Key_Delete);
  EXPECT_EQ(edit->Value(), 3) << "a delete key on the highlight resets the value";
}

TEST_F(TimeCodeEditTest, ClickPutsTheCursorOnTheCellUnderThePointer) {
  Make(1000);
  const int cellRight = edit->CellLeft(7) + edit->CellWidth();
  for (auto [x, cell] : {std::pair{0, 0}, std::pair{edit->CellLeft(0) - 1, 0},
                         std::pair{CellCentre(4).x(), 4}, std::pair{edit->CellLeft(2) - 1, 1},
                         std::pair{cellRight + 1, 7}, std::pair{edit->width() - 1, 7}}) {
    QTest::mouseClick(edit.get(), Qt::LeftButton, Qt::NoModifier, QPoint(x, 10));
    EXPECT_EQ(edit->Cursor(), cell) << "x " << x;
    EXPECT_FALSE(edit->Selected()) << "a click clears the highlight the focus brought";
    EXPECT_FALSE(edit->Dragging());
  }
}

TEST_F(TimeCodeEditTest, VerticalDragTurnsTheCellEightPixelsAStep) {
  Make(1000, 100000);
  const QPoint from = CellCentre(7);
  QTest::mousePress(edit.get(), Qt::LeftButton, Qt::NoModifier, from);
  ASSERT_TRUE(edit->Dragging());
  for (auto [dy, shown] :
       {std::pair{-7, "00:00:01:00"}, std::pair{-16, "00:00:01:02"}, std::pair{-23, "00:00:01:02"},
        std::pair{-24, "00:00:01:03"}, std::pair{40, "00:00:00:25"}}) {
    QTest::mouseMove(edit.get(), from + QPoint(0, dy));
    EXPECT_EQ(edit->Text(), shown) << "moved " << dy;
  }
  QTest::mouseRelease(edit.get(), Qt::LeftButton, Qt::NoModifier, from);
  EXPECT_FALSE(edit->Dragging());
  QTest::mouseMove(edit.get(), from - QPoint(0, 40));
  EXPECT_EQ(edit->Text(), "00:00:00:25");
  struct Case {
    int value, max, cell, dy;
    const char* shown;
  } cases[] = {{9000, 100000, 5, -8, "00:00:10:00"},
               {1000, 100000, 5, -680, "00:01:26:00"},  // 85 steps in one move
               {1000, 100000, 5, 80, "00:00:00:00"},
               {1000, 10000, 4, -400, "00:00:10:00"}};
  for (const Case& c : cases) {
    Make(c.value, c.max);
    Drag(Qt::RightButton, CellCentre(c.cell), c.dy);
    EXPECT_EQ(edit->Text(), c.shown) << c.value << " by " << c.dy;
  }
}

TEST_F(TimeCodeEditTest, RangeBeyondTheCellsIsRefused) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_DEBUG_DEATH(TimeCodeEdit(&window, 1, 0, 0, 100 * 3600 * 1000, 1, kNtscFrameRate), "");
  EXPECT_DEBUG_DEATH(TimeCodeEdit(&window, 1, 0, 0, 400000000, 2, 25.0f), "");
#ifdef NDEBUG
  // Without the check, the control still keeps to what its cells can show.
  EXPECT_EQ(TimeCodeEdit(&window, 1, 500000000, 0, 500000000, 2, 25.0f).Text(), "9999999");
#endif
  EXPECT_DEBUG_DEATH(TimeCodeEdit(&window, 1, 0, 0, 359999985, 1, kNtscFrameRate), "");
#ifdef NDEBUG
  EXPECT_EQ(TimeCodeEdit(&window, 1, 359999999, 0, 359999999, 1, kNtscFrameRate).Text(),
            "99:59:59:29");
#endif
}

TEST_F(TimeCodeEditTest, EveryValueUpToTheLargestMaximumShowsInItsCells) {
  struct Case {
    int mode;
    float fps;
    int32_t largest;
    const char* top;
  } cases[] = {{1, kNtscFrameRate, 359999984, "99:59:59:29"},
               {1, 25.0f, 359999980, "99:59:59:24"},
               {0, 25.0f, 359999999, "99:59:59:999"}};
  for (const Case& c : cases) {
    ASSERT_EQ(TimeCodeEdit::LargestMax(c.mode, c.fps), c.largest) << c.mode << " at " << c.fps;
    Make(c.largest, c.largest, c.mode, c.fps);
    EXPECT_EQ(edit->Text(), c.top);
    // Every value near the top reads back as itself, within one frame.
    for (int32_t ms = c.largest - 40; ms <= c.largest; ++ms) {
      edit->SetTime(ms, false);
      EXPECT_TRUE(edit->Text().startsWith("99:59:59:")) << ms << ": " << edit->Text().toStdString();
      EXPECT_NEAR(edit->GetTime(true), ms, 34) << ms;
    }
  }
}

}  // namespace
