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
  Qt::TextFormat format = Qt::AutoText;
  QWidget* parent = nullptr;
  bool seen = false;

  void Arm(QMessageBox::StandardButton press) {
    QTimer::singleShot(0, [this, press] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (!box)
        return;
      seen = true;
      title = box->windowTitle();
      text = box->text();
      icon = box->icon();
      format = box->textFormat();
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

TEST(QtPrompterTest, QuestionShowsTheQuestionIconAndReturnsTheButtonPressed) {
  QtPrompter prompter;
  for (auto [press, expected] :
       {std::pair{QMessageBox::Ok, true}, std::pair{QMessageBox::Cancel, false}}) {
    BoxAnswer answer;
    answer.Arm(press);
    EXPECT_EQ(prompter.AskOkCancel("Version mismatch", "Init Orvane"), expected);
    EXPECT_TRUE(answer.seen);
    EXPECT_EQ(answer.title, "Init Orvane");
    EXPECT_EQ(answer.icon, QMessageBox::Question);
  }
}

TEST(QtPrompterTest, FileNamesThatLookLikeMarkupAreShownAsTheyStand) {
  QtPrompter prompter;
  for (const char* name : {"<b>wipe</b>.tga", "a<br>b.tga", "x&lt;y.tga"}) {
    const std::string text = std::string("Can not open file '") + name + "'";
    BoxAnswer message, question;
    message.Arm(QMessageBox::Ok);
    prompter.ShowMessage(text, "Load Image", kMbOk | kMbIconExclamation);
    question.Arm(QMessageBox::Ok);
    prompter.AskOkCancel(text, "Load Orvane DLL");
    for (const BoxAnswer* box : {&message, &question}) {
      ASSERT_TRUE(box->seen) << name;
      EXPECT_EQ(box->text.toStdString(), text);
      EXPECT_EQ(box->format, Qt::PlainText) << name;
    }
  }
}

}  // namespace
