#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <QRect>
#include <cstdint>

#include "controls/wheel_notches.h"

class SpinButton;

// A one-line edit for a signed integer within a range. It takes only digits,
// control characters and a leading minus sign; an up/down pair inside its
// right edge steps the value (by 10 with Shift, 100 with Ctrl); a right-button
// drag on a digit turns that digit up or down, and each notch of the wheel
// steps the value by 1 (10 with Shift). Every change by the user is
// posted to the parent as WM_VALUECHANGED (wParam the id, lParam the control).
// The value is never stored: it is the text, read and clamped each time.
class TIntEdit : public QLineEdit {
 public:
  // Longest text the edit holds.
  static constexpr int kTextLimit = 9;
  // Pointer travel that turns a dragged digit by one.
  static constexpr int kDragStepPixels = 8;

  TIntEdit(QWidget* parent, int id, int min, int max, const QRect& geometry = {});
  ~TIntEdit() override;

  int Id() const { return id_; }
  int Min() const { return min_; }
  int Max() const { return max_; }

  // The text read as a decimal number (leading blanks and one sign allowed,
  // reading stops at the first non-digit), then lowered to max and raised to
  // min; empty text reads as min.
  int GetValue() const;
  // Writes the clamped value's text when force is set or when it differs from
  // what GetValue reads now. Tells nobody.
  void SetValue(int value, bool force);
  // Text outside the new range stays as it is until the focus leaves; reads
  // are clamped to the new range at once.
  void SetRange(int min, int max);

  bool IsDragging() const { return dragging_; }
  SpinButton* Spin() const { return spin_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void wheelEvent(QWheelEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;

 private:
  void PostValueChanged();
  void MeasureCharacters();
  void PlaceSpin();
  void OnSpin(bool up, Qt::KeyboardModifiers modifiers);
  // Adds delta to the value, clamped, and tells the parent.
  void StepBy(int64_t delta);
  // Whether text typed or pasted over the current selection passes the
  // character filter as a whole.
  bool Accepts(const QString& inserted) const;
  // Inserts the clipboard's text if the filter takes all of it; a refusal
  // beeps. Returns whether anything was inserted.
  bool PasteFiltered(QClipboard::Mode mode);
  int TextOriginX() const;
  void BeginDrag(QPoint pos);
  void SelectDraggedDigit();

  int id_;
  int min_;
  int max_;
  int dashWidth_ = 0;
  int digitWidth_[10] = {};
  int dragBase_ = 0;
  int dragStep_ = 1;
  int dragPlace_ = 0;  // digits right of the dragged one
  bool dragging_ = false;
  int dragX_ = 0;
  int dragY_ = 0;
  WheelNotches wheel_;
  SpinButton* spin_;  // owned by Qt parenting
};
