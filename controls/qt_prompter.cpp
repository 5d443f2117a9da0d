#include "controls/qt_prompter.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QMessageBox::Icon IconOf(unsigned style) {
  return (style & 0xF0) == kMbIconExclamation ? QMessageBox::Warning : QMessageBox::NoIcon;
}

}  // namespace

void QtPrompter::Beep() { QApplication::beep(); }

void QtPrompter::ShowMessage(const std::string& text, const std::string& caption,
                             unsigned style) {
  QMessageBox box(IconOf(style), QString::fromStdString(caption), QString::fromStdString(text),
                  QMessageBox::Ok, QApplication::activeWindow());
  box.exec();
}

bool QtPrompter::AskOkCancel(const std::string& text, const std::string& caption) {
  QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption),
                  QString::fromStdString(text), QMessageBox::Ok | QMessageBox::Cancel,
                  QApplication::activeWindow());
  box.setDefaultButton(QMessageBox::Ok);
  return box.exec() == QMessageBox::Ok;
}
