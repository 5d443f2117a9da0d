#include "controls/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon IconOf(unsigned style) {
  return (style & 0xF0) == kMbIconExclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
}

// Messages carry file names, and on this system "<b>", "<br>" and "&lt;" are
// legal in them: a box must show its text as it stands, never as markup.
void ShowAsPlainText(QMessageBox& box) {
  box.setTextFormat(Qt::PlainText);
}

}  // namespace

void QtPrompter::Beep() {
  QApplication::beep();
}

void QtPrompter::ShowMessage(const std::string& text, const std::string& caption, unsigned style) {
  QMessageBox box(IconOf(style), QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  ShowAsPlainText(box);
  box.exec();
}

bool QtPrompter::AskOkCancel(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Question, QString::fromStdString(caption),
                  QString::fromStdString(text), QMessageBox::Ok | QMessageBox::Cancel,
                  QApplication::activeWindow());
  ShowAsPlainText(box);
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok;
}
