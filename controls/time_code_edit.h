#pragma once

#include <QRect>
#include <QString>
#include <QTimer>
#include <QWidget>
#include <cstdint>
#include <string>

#include "controls/wheel_notches.h"

// A self-drawn entry for a duration shown as time code: HH:MM:SS:FF (mode 1),
// a seven-digit frame count (mode 2) or HH:MM:SS:mmm (other modes). The user
// edits one digit cell at a time with the keyboard or by dragging the mouse
// vertically, or the cell under the pointer with the wheel (a notch is one,
// ten with Shift); the duration is held in milliseconds, clamped to a range.
// Every change is sent to the parent as an edit-change command with the
// control's id. Mode and frame rate are given when the control is made; only
// SetFrameRate changes the rate later.
class TimeCodeEdit : public QWidget {
 public:
  // Pointer travel that turns the current cell by one.
  static constexpr int kDragStepPixels = 8;

  // The range must satisfy 0 <= minMs <= maxMs <= LargestMax(mode, fps).
  TimeCodeEdit(QWidget* parent, int id, int valueMs, int minMs, int maxMs, int32_t mode, float fps,
               const QRect& geometry = {});

  // The largest maximum whose every value the cells can show at fps: below
  // 100 hours, less the top milliseconds whose frames round up into the
  // hundredth hour, or below 10000000 frames in mode 2. A larger one is
  // refused (a debug build stops, a release build keeps to this one).
  static int32_t LargestMax(int32_t mode, float fps);

  int Id() const { return id_; }

  // Shows the duration at another frame rate from now on, such as the card's
  // once it is known: the milliseconds stay, the cells are rewritten.
  void SetFrameRate(float fps);

  // Clamps ms to the range and rewrites the cells from it (this normalises
  // whatever was typed); when the value changes, stores it and, if notify is
  // set, tells the parent.
  void SetTime(int ms, bool notify);
  // The milliseconds the cells denote now, typed digits included.
  int GetTime(bool clamp) const;

  // Introspection for the owner and for tests.
  int Value() const { return value_; }
  int Min() const { return min_; }
  int Max() const { return max_; }
  int Mode() const { return mode_; }
  float Fps() const { return fps_; }
  // The text as painted: the cells with their separators.
  QString Text() const;
  // The text the last paint put on the screen.
  QString PaintedText() const { return paintedText_; }
  int Cursor() const { return cursor_; }
  int Last() const { return last_; }
  int CellLeft(int i) const { return cellX_[i]; }
  int CellWidth() const { return cellWidth_; }
  bool Selected() const { return selected_; }
  bool ShiftEntry() const { return shiftEntry_; }
  bool Dragging() const { return dragging_; }
  bool HasCaret() const { return hasCaret_; }

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;

 private:
  // The cell at x: the last whose left edge is at or before it.
  int CellAt(int x) const;
  void CellsFromValue(int ms);
  void Layout();
  void Notify();
  void Commit();
  void MoveCursor(int i);
  void SetCell(int i, int c);
  void StepCell(int delta);
  void ClearSelection();
  void EnterDigit(int digit);
  void EndDrag();
  QRect CaretRect() const;
  void ShowCaret();
  void DestroyCaret();

  int id_;
  int32_t value_ = 0;
  int32_t min_ = 0;
  int32_t max_ = 0;
  char cells_[10] = {};
  bool hasCaret_ = false;
  bool selected_ = false;
  bool shiftEntry_ = false;
  bool dragging_ = false;
  Qt::MouseButton dragButton_ = Qt::NoButton;
  int cellWidth_ = 0;
  int colonWidth_ = 0;
  int height_ = 0;
  int cellX_[10] = {};
  int caretY_ = 0;
  int cursor_ = 0;
  int last_ = 0;
  const char* cellMax_ = "";
  int32_t mode_;
  float fps_;
  int dragX_ = 0;
  int dragY_ = 0;
  bool caretOn_ = false;  // the blinking caret's current phase
  QTimer caretBlink_;
  QString paintedText_;
  WheelNotches wheel_;
};
