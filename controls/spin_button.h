#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

// The up/down pair at the right edge of an integer edit, standing in for the
// edit's own vertical scroll bar: a press on the upper half is a line-up, on
// the lower half a line-down, repeated while the button is held, as a scroll
// bar's arrows repeat. It never takes the focus; its owner decides what a
// step means.
class SpinButton : public QWidget {
 public:
  enum class Step { kLineUp, kLineDown };
  // Called for every step with the keyboard modifiers held at that moment.
  using StepHandler = std::function<void(Step, Qt::KeyboardModifiers)>;

  SpinButton(QWidget* parent, StepHandler onStep);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  enum class Part { kNone, kUp, kDown };

  Part PartAt(QPoint pos) const;
  QRect PartRect(Part part) const;
  void Fire(Qt::KeyboardModifiers modifiers);
  void Repeat();

  StepHandler onStep_;
  Part pressed_ = Part::kNone;
  bool pointerInside_ = false;  // the held half repeats only while pointed at
  QTimer repeat_;
};
