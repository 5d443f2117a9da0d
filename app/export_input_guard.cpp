#include "app/export_input_guard.h"

#include <QCoreApplication>
#include <QEvent>
#include <QWidget>
#include <QWindow>

namespace {

bool IsInput(int eventType) {
  switch (eventType) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::Shortcut:
    case QEvent::InputMethod:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::NonClientAreaMouseButtonRelease:
    case QEvent::NonClientAreaMouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::ContextMenu:
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
    case QEvent::TouchBegin:
    case QEvent::TouchUpdate:
    case QEvent::TouchEnd:
    case QEvent::TouchCancel:
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
    case QEvent::Gesture:
    case QEvent::NativeGesture:
      return true;
    default:
      return false;
  }
}

}  // namespace

ExportInputGuard::ExportInputGuard(QWidget* window) : window_(window) {
  QCoreApplication::instance()->installEventFilter(this);
}

ExportInputGuard::~ExportInputGuard() {
  QCoreApplication::instance()->removeEventFilter(this);
}

bool ExportInputGuard::Guards(QObject* receiver) const {
  if (!window_)
    return false;
  // Input reaches the window system's window first, then its widgets.
  if (receiver->isWindowType())
    return receiver == window_->windowHandle();
  if (receiver->isWidgetType())
    return static_cast<QWidget*>(receiver)->window() == window_;
  return false;
}

bool ExportInputGuard::eventFilter(QObject* watched, QEvent* event) {
  return IsInput(event->type()) && Guards(watched);
}
