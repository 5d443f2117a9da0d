#pragma once

#include <QCoreApplication>
#include <QEvent>
#include <cstdint>

// The program's private window messages, carried as Qt events whose type is
// the message number itself.
inline constexpr int WM_VALUECHANGED = 1120;   // wParam: control id, lParam: control
inline constexpr int WM_DEVICEFAILURE = 1123;  // wParam: 9, lParam: error code

class PrivateMessage : public QEvent {
 public:
  PrivateMessage(int message, intptr_t wParam, intptr_t lParam)
      : QEvent(static_cast<QEvent::Type>(message)), wParam_(wParam), lParam_(lParam) {}

  int Message() const { return static_cast<int>(type()); }
  intptr_t WParam() const { return wParam_; }
  intptr_t LParam() const { return lParam_; }

  static bool Is(const QEvent* event, int message) {
    return event && static_cast<int>(event->type()) == message;
  }

 private:
  intptr_t wParam_;
  intptr_t lParam_;
};

// A control's command notification to its parent dialog (what a push button
// click or an edit's change notice is): the control's id and a notification
// code. Sent, not posted: the parent handles it before the sender goes on.
// Its event type is outside the private message numbers above.
inline constexpr int kCommandEventType = QEvent::User + 273;
inline constexpr int kBnClicked = 0;      // push button clicked
inline constexpr int kEnChange = 0x0300;  // an edit's text changed

class CommandMessage : public QEvent {
 public:
  CommandMessage(int id, int notifyCode)
      : QEvent(static_cast<QEvent::Type>(kCommandEventType)), id_(id), notifyCode_(notifyCode) {}
  int Id() const { return id_; }
  int NotifyCode() const { return notifyCode_; }
  static bool Is(const QEvent* event) {
    return event && static_cast<int>(event->type()) == kCommandEventType;
  }

 private:
  int id_;
  int notifyCode_;
};

// Sends a command notification to target (normally the control's parent);
// returns whether it was handled.
inline bool SendCommand(QObject* target, int id, int notifyCode) {
  if (!target) return false;
  CommandMessage event(id, notifyCode);
  return QCoreApplication::sendEvent(target, &event);
}

// Queues the message; it is delivered after the current handler returns.
inline void PostPrivateMessage(QObject* target, int message, intptr_t wParam, intptr_t lParam) {
  QCoreApplication::postEvent(target, new PrivateMessage(message, wParam, lParam));
}

// Delivers the message at once and returns whether it was handled.
inline bool SendPrivateMessage(QObject* target, int message, intptr_t wParam, intptr_t lParam) {
  PrivateMessage event(message, wParam, lParam);
  return QCoreApplication::sendEvent(target, &event);
}
