#include "controls/qt_prompter.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

namespace {

// Answers the next modal message box once it is up, and keeps what it saw.
struct BoxAnswer {
  QString title, text;
  QMessageBox::Icon icon = QMessageBox::NoIcon;
  QWidget* parent = nullptr;
  bool seen = false;

  void Arm(QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [this, press] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box) return;
      seen = true;
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      parent = box->parentWidget();
      box->button(press)->click();
    });
  }
};

TEST(QtPrompterTest, WarningBoxCarriesCaptionTextAndIconOwnedByActiveWindow) {
  QWidget owner;
  owner.show();
  QApplication::setActiveWindow(&owner);
  QtPrompter prompter;
  BoxAnswer answer;
  answer.Arm(QMessageBox::Ok);
  prompter.ShowMessage("Can not open file 'x.tga'", "Load Image", kMbOk | kMbIconExclamation);
  ASSERT_TRUE(answer.seen);
  EXPECT_EQ(answer.title, "Load Image");
  EXPECT_EQ(answer.text, "Can not open file 'x.tga'");
  EXPECT_EQ(answer.icon, QMessageBox::Warning);
  EXPECT_EQ(answer.parent, &owner);
}

TEST(QtPrompterTest, QuestionReturnsTheButtonPressed) {
  QtPrompter prompter;
  for (auto [press, expected] : {std::pair{QMessageBox::Ok, true},
                                 std::pair{QMessageBox::Cancel, false}}) {
    BoxAnswer answer;
    answer.Arm(press);
    EXPECT_EQ(prompter.AskOkCancel("Version mismatch", "Init Orvane"), expected);
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.title, "Init Orvane");
  }
}

}  // namespace
