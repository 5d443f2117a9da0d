#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLineEdit>
#include <QTest>
#include <QWidget>
#include <vector>

#include "controls/private_messages.h"

// A dialog stand-in: a shown, active window that keeps every value-changed
// post and every command its controls send it, with one more focusable
// widget to move the focus to.
class EditTestWindow : public QWidget {
 public:
  struct Post {
    intptr_t id;
    intptr_t control;
  };
  struct Command {
    int id;
    int code;
  };

  EditTestWindow() {
    resize(320, 120);
    other = new QLineEdit(this);
    other->setGeometry(10, 80, 80, 20);
  }

  // Shows the window and makes it the active one, so focus changes and key
  // presses reach the controls as they would on a desktop.
  void ShowActive() {
    show();
    QApplication::setActiveWindow(this);
    ASSERT_TRUE(QTest::qWaitForWindowActive(this));
  }

  // Delivers what was posted and returns the posts seen since the last call.
  std::vector<Post> TakePosts() {
    QCoreApplication::sendPostedEvents(this);
    std::vector<Post> taken;
    taken.swap(posts);
    return taken;
  }
  std::vector<Command> TakeCommands() {
    std::vector<Command> taken;
    taken.swap(commands);
    return taken;
  }

  QLineEdit* other;
  std::vector<Post> posts;
  std::vector<Command> commands;

 protected:
  bool event(QEvent* e) override {
    if (PrivateMessage::Is(e, WM_VALUECHANGED)) {
      auto* m = static_cast<PrivateMessage*>(e);
      posts.push_back({m->WParam(), m->LParam()});
      return true;
    }
    if (CommandMessage::Is(e)) {
      auto* c = static_cast<CommandMessage*>(e);
      commands.push_back({c->Id(), c->NotifyCode()});
      return true;
    }
    return QWidget::event(e);
  }
};
