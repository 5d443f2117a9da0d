#include "controls/spin_button.h"

#include <qdrawutil.h>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

namespace {

// A held arrow waits this long before it repeats, then repeats at the
// shorter interval, close to what a scroll bar arrow does.
constexpr int kFirstRepeatMs = 300;
constexpr int kRepeatMs = 60;

}  // namespace

SpinButton::SpinButton(QWidget* parent, StepHandler onStep)
    : QWidget(parent), onStep_(std::move(onStep)) {
  setFocusPolicy(Qt::NoFocus);
  setCursor(Qt::ArrowCursor);
  repeat_.setSingleShot(false);
  connect(&repeat_, &QTimer::timeout, this, [this] { Repeat(); });
}

QSize SpinButton::sizeHint() const {
  return {style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this), 16};
}

QRect SpinButton::PartRect(Part part) const {
  const int upHeight = height() / 2;
  if (part == Part::kUp)
    return {0, 0, width(), upHeight};
  if (part == Part::kDown)
    return {0, upHeight, width(), height() - upHeight};
  return {};
}

SpinButton::Part SpinButton::PartAt(QPoint pos) const {
  if (PartRect(Part::kUp).contains(pos))
    return Part::kUp;
  if (PartRect(Part::kDown).contains(pos))
    return Part::kDown;
  return Part::kNone;
}

void SpinButton::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QBrush face = palette().brush(QPalette::Button);
  for (Part part : {Part::kUp, Part::kDown}) {
    const QRect r = PartRect(part);
    const bool sunken = pressed_ == part && pointerInside_;
    qDrawWinButton(&painter, r, palette(), sunken, &face);
    QStyleOption arrow;
    arrow.initFrom(this);
    // The arrow keeps a small margin inside the bevel and follows the press.
    arrow.rect = r.adjusted(2, 1, -2, -1).translated(sunken ? 1 : 0, sunken ? 1 : 0);
    style()->drawPrimitive(
        part == Part::kUp ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow,
        &painter, this);
  }
}

void SpinButton::Fire(Qt::KeyboardModifiers modifiers) {
  if (pressed_ == Part::kNone || !onStep_)
    return;
  onStep_(pressed_ == Part::kUp ? Step::kLineUp : Step::kLineDown, modifiers);
}

void SpinButton::Repeat() {
  repeat_.setInterval(kRepeatMs);
  if (pointerInside_)
    Fire(QGuiApplication::queryKeyboardModifiers());
}

void SpinButton::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || pressed_ != Part::kNone) {
    event->ignore();
    return;
  }
  pressed_ = PartAt(event->position().toPoint());
  if (pressed_ == Part::kNone)
    return;
  pointerInside_ = true;
  update();
  repeat_.start(kFirstRepeatMs);
  Fire(event->modifiers());
}

// A quick second click is one more step, not something else.
void SpinButton::mouseDoubleClickEvent(QMouseEvent* event) {
  mousePressEvent(event);
}

void SpinButton::mouseMoveEvent(QMouseEvent* event) {
  if (pressed_ == Part::kNone)
    return;
  const bool inside = PartAt(event->position().toPoint()) == pressed_;
  if (inside != pointerInside_) {
    pointerInside_ = inside;
    update();
  }
}

void SpinButton::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || pressed_ == Part::kNone) {
    event->ignore();
    return;
  }
  repeat_.stop();
  pressed_ = Part::kNone;
  pointerInside_ = false;
  update();
}
