#include "controls/ev_slider.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#include "controls/dialog_items.h"
#include "controls/private_messages.h"

namespace {

int ClampToInt(int64_t v) {
  return static_cast<int>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

TEVSlider::TEVSlider(QWidget* parent, int id, int linkedId, int value, int from, int to,
                     int thumbResourceId)
    : TVSlider(parent, id, thumbResourceId), linkedId_(linkedId), value_(value) {
  setGeometry(0, 0, 40, 100);
  TakeRange(from, to);
  TVSlider::SetPosition(ValueToPosition(value_));
  if (linkedId_ != 0)
    WriteLinkedText(std::abs(linkedId_));
}

void TEVSlider::TakeRange(int from, int to) {
  reversed_ = to < from;
  lo_ = reversed_ ? to : from;
  hi_ = reversed_ ? from : to;
  SetRange(0, ClampToInt(static_cast<int64_t>(hi_) - lo_));
}

int TEVSlider::ValueToPosition(int value) const {
  return ClampToInt(reversed_ ? static_cast<int64_t>(hi_) - value
                              : static_cast<int64_t>(value) - lo_);
}

void TEVSlider::WriteLinkedText(int itemId) const {
  SetDialogItemText(parentWidget(), itemId, QString::number(value_));
}

void TEVSlider::SetValue(int value, bool force) {
  const int v = std::clamp(value, lo_, hi_);
  if (v == value_ && !force)
    return;
  value_ = v;
  TVSlider::SetPosition(ValueToPosition(v));
  if (linkedId_ > 0)
    WriteLinkedText(linkedId_);
}

void TEVSlider::SetValueRange(int from, int to) {
  TakeRange(from, to);
  TVSlider::SetPosition(ValueToPosition(value_));
}

void TEVSlider::SetPosition(int position) {
  const int p = std::clamp(position, RangeMin(), RangeMax());
  TVSlider::SetPosition(p);
  value_ = ClampToInt(reversed_ ? static_cast<int64_t>(hi_) - p : static_cast<int64_t>(lo_) + p);
  if (linkedId_ != 0)
    WriteLinkedText(std::abs(linkedId_));
  SendCommand(parentWidget(), Id(), 0);
}
