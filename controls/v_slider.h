#pragma once

#include <QRect>
#include <QTimer>
#include <QWidget>
#include <cstdint>

#include "controls/slider_thumb.h"
#include "controls/wheel_notches.h"

// A vertical slider drawn by the program itself: a sunken slot, a ruler of
// tick marks on both sides and the thumb picture. It works in positions
// from RangeMin() (top) to RangeMax() (bottom).
//
// Every move the user makes goes through the virtual SetPosition: each step
// of a drag (computed from where the drag started), each page step of a
// click in the slot (repeated while the button is held), a page for each
// notch of the wheel and the keys (arrows one line, Page Up/Down one page,
// Home/End the ends, each as often as the key repeats). Subclasses turn
// positions into their values there; the base just moves the thumb.
class TVSlider : public QWidget {
  Q_OBJECT

 public:
  TVSlider(QWidget* parent, int id, int thumbResourceId = kSliderThumbBitmap);

  int Id() const { return id_; }

  // The position range; the thumb is brought inside it without a
  // notification. A max below min is taken as min.
  void SetRange(int min, int max);
  int RangeMin() const { return min_; }
  int RangeMax() const { return max_; }

  int GetPosition() const { return position_; }
  // Moves the thumb to position, brought into the range.
  virtual void SetPosition(int position);

  // Ticks every tickGap positions from the top, and at the bottom; 0 draws
  // none. With snap, user moves land on ticks.
  void SetRuler(int tickGap, bool snap);
  int TickGap() const { return tickGap_; }
  bool Snaps() const { return snap_; }
  void SetPageSize(int page) { page_ = page > 0 ? page : 1; }
  int PageSize() const { return page_; }

  // Where the thumb is drawn now, in the slider's coordinates.
  QRect ThumbRect() const;
  // The top of the thumb when it stands at position.
  int ThumbTopAt(int position) const;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  // A user move: snapped when asked, then through the virtual setter.
  void UserMove(int position);
  int Snap(int position) const;
  int TrackPixels() const;
  int64_t Span() const;
  void RepeatPage();

  int id_;
  int thumbResourceId_;
  int min_ = 0;
  int max_ = 100;
  int position_ = 0;
  int tickGap_ = 0;
  bool snap_ = false;
  int page_ = 10;
  int line_ = 1;

  bool dragging_ = false;
  int dragStartY_ = 0;
  int dragStartPosition_ = 0;
  // A held click in the slot: the direction of its page steps and the point.
  int pageDirection_ = 0;
  int pageY_ = 0;
  QTimer pageRepeat_;
  WheelNotches wheel_;
};
