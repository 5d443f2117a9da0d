#pragma once

#include "controls/v_slider.h"

// The vertical slider of a value range that may run either way, echoing its
// value as decimal text into a dialog item of its parent and telling the
// parent about every move the user makes (a command with the slider's id).
//
// The linked item: 0 none; a positive id is always kept up to date; a
// negative one names item -linkedId, written at set-up and on user moves but
// not by SetValue, so the program can set the slider from that very item
// without writing it back.
//
// Positions run 0..hi-lo from the top; position p is value lo + p, or hi - p
// when the range was given from the larger end.
class TEVSlider : public TVSlider {
  Q_OBJECT

 public:
  // Made at (0, 0), 40 x 100 pixels; the owner moves it into place. from >
  // to reverses the range. value is kept as given and only brought inside
  // the range when the thumb is placed. The linked item, if any, must exist
  // already: the value is written into it here.
  TEVSlider(QWidget* parent, int id, int linkedId, int value, int from, int to,
            int thumbResourceId = kSliderThumbBitmap);

  // value brought into [lo, hi]; nothing happens when that is the current
  // value unless force. Writes a positive linked item; sends nothing.
  void SetValue(int value, bool force);
  // A new range, the thumb placed for the stored value, which itself is
  // left as it is. Writes nothing, sends nothing.
  void SetValueRange(int from, int to);
  int GetValue() const { return value_; }

  int Lo() const { return lo_; }
  int Hi() const { return hi_; }
  bool Reversed() const { return reversed_; }

  // A user move: the thumb, the value, the linked text, then the command.
  void SetPosition(int position) override;

 private:
  void TakeRange(int from, int to);
  int ValueToPosition(int value) const;
  void WriteLinkedText(int itemId) const;

  int linkedId_;
  int lo_ = 0;
  int hi_ = 0;
  int value_;
  bool reversed_ = false;
};
