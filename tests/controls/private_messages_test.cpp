#include "controls/private_messages.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QObject>
#include <vector>

namespace {

class Receiver : public QObject {
 public:
  struct Got {
    int message;
    intptr_t wParam, lParam;
  };
  std::vector<Got> got;

  bool event(QEvent* e) override {
    if (PrivateMessage::Is(e, WM_VALUECHANGED) || PrivateMessage::Is(e, WM_DEVICEFAILURE)) {
      auto* m = static_cast<PrivateMessage*>(e);
      got.push_back({m->Message(), m->WParam(), m->LParam()});
      return true;
    }
    if (CommandMessage::Is(e)) {
      auto* c = static_cast<CommandMessage*>(e);
      got.push_back({kCommandEventType, c->Id(), c->NotifyCode()});
      return true;
    }
    return QObject::event(e);
  }
};

TEST(PrivateMessagesTest, PostedMessagesArriveLaterWithTheirNumbersAndParameters) {
  Receiver receiver;
  PostPrivateMessage(&receiver, WM_VALUECHANGED, 2113, 77);
  PostPrivateMessage(&receiver, WM_DEVICEFAILURE, 9, 12);
  EXPECT_TRUE(receiver.got.empty()) << "a post must not be delivered at once";
  QCoreApplication::sendPostedEvents(&receiver);
  ASSERT_EQ(receiver.got.size(), 2u);
  EXPECT_EQ(receiver.got[0].message, 1120);
  EXPECT_EQ(receiver.got[0].wParam, 2113);
  EXPECT_EQ(receiver.got[0].lParam, 77);
  EXPECT_EQ(receiver.got[1].message, 1123);
  EXPECT_EQ(receiver.got[1].lParam, 12);
}

TEST(PrivateMessagesTest, SentMessageIsHandledAtOnce) {
  Receiver receiver;
  EXPECT_TRUE(SendPrivateMessage(&receiver, WM_VALUECHANGED, 1, 2));
  ASSERT_EQ(receiver.got.size(), 1u);
}

TEST(PrivateMessagesTest, CommandIsDeliveredAtOnceWithIdAndCode) {
  Receiver receiver;
  EXPECT_TRUE(SendCommand(&receiver, 2115, kEnChange));
  ASSERT_EQ(receiver.got.size(), 1u);
  EXPECT_EQ(receiver.got[0].wParam, 2115);
  EXPECT_EQ(receiver.got[0].lParam, kEnChange);
  EXPECT_FALSE(SendCommand(nullptr, 1, 0));
}

}  // namespace
