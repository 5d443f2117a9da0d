#pragma once

#include <QWheelEvent>

// The whole notches a mouse wheel has turned, away from the user positive.
// A fine-grained wheel or a touchpad reports parts of a notch; they are kept
// until they add up to one. With Shift held some systems report the turn as
// horizontal, so a turn without a vertical part counts its horizontal one.
class WheelNotches {
 public:
  int Take(const QWheelEvent& event) {
    const QPoint delta = event.angleDelta();
    remainder_ += delta.y() != 0 ? delta.y() : delta.x();
    const int notches = remainder_ / QWheelEvent::DefaultDeltasPerStep;
    remainder_ %= QWheelEvent::DefaultDeltasPerStep;
    return notches;
  }

 private:
  int remainder_ = 0;
};

// What one notch turns an edit by: one, or ten with Shift.
inline int WheelStep(Qt::KeyboardModifiers modifiers) {
  return modifiers & Qt::ShiftModifier ? 10 : 1;
}
