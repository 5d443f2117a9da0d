#include "avi/ui/termometer_control.h"

#include <QPainter>
#include <algorithm>

#include "controls/dialog_items.h"
#include "controls/drawing_objects.h"
#include "support/time_code.h"

TTermometerControl::TTermometerControl(QWidget* parent, int id, int32_t total)
    : QWidget(parent), total_(total) {
  SetDialogItemId(this, id);
  setAttribute(Qt::WA_OpaquePaintEvent);
}

int32_t TTermometerControl::FilledWidth(int32_t clientWidth, int32_t position, int32_t total) {
  // An export that has no frames has done nothing yet, rather than divide
  // by zero.
  if (total == 0)
    return 0;
  // 64 bits, so a long export on a wide bar cannot overflow.
  const int64_t filled = static_cast<int64_t>(clientWidth) * position / total;
  return static_cast<int32_t>(std::clamp<int64_t>(filled, INT32_MIN, INT32_MAX));
}

int32_t TTermometerControl::Percent(int32_t position, int32_t total) {
  if (total == 0)
    return 0;
  // A position far past the total would not fit; it is all done anyway.
  const int64_t quotient = static_cast<int64_t>(position) * 100 / total;
  if (quotient >= INT32_MAX || quotient <= INT32_MIN)
    return quotient > 0 ? INT32_MAX : INT32_MIN;
  return MulDivRound(position, 100, total);
}

QString TTermometerControl::Text() const {
  return QStringLiteral("%1%").arg(Percent(position_, total_));
}

void TTermometerControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int right = width();
  const int bottom = height();
  const int filled = std::clamp(FilledWidth(right, position_, total_), 0, right);
  painter.fillRect(QRect(0, 0, filled, bottom), BlueBrush());
  painter.fillRect(QRect(filled, 0, right - filled, bottom), GreyBrush());
  painter.setPen(RedPen());
  painter.setBackgroundMode(Qt::TransparentMode);
  painter.setFont(font());
  painter.drawText(rect(), Qt::AlignCenter | Qt::TextSingleLine, Text());
}
