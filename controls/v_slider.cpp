#include "controls/v_slider.h"

#include <qdrawutil.h>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QWheelEvent>

#include <algorithm>
#include <cstdint>

#include "controls/dialog_items.h"

namespace {

constexpr int kRepeatDelayMs = 300;
constexpr int kRepeatIntervalMs = 50;
constexpr int kTickLength = 4;
constexpr int kSlotWidth = 4;

// part * whole / of, halves rounded away from zero.
int64_t RoundedShare(int64_t part, int64_t whole, int64_t of) {
  const int64_t product = part * whole;
  return product >= 0 ? (product + of / 2) / of : -((-product + of / 2) / of);
}

}  // namespace

TVSlider::TVSlider(QWidget* parent, int id, int thumbResourceId)
    : QWidget(parent), id_(id), thumbResourceId_(thumbResourceId) {
  SetDialogItemId(this, id);
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  pageRepeat_.setInterval(kRepeatIntervalMs);
  connect(&pageRepeat_, &QTimer::timeout, this, [this] {
    pageRepeat_.setInterval(kRepeatIntervalMs);
    RepeatPage();
  });
}

void TVSlider::SetRange(int min, int max) {
  min_ = min;
  max_ = std::max(min, max);
  position_ = std::clamp(position_, min_, max_);
  update();
}

void TVSlider::SetPosition(int position) {
  position = std::clamp(position, min_, max_);
  if (position == position_)
    return;
  position_ = position;
  update();
}

void TVSlider::SetRuler(int tickGap, bool snap) {
  tickGap_ = std::max(tickGap, 0);
  snap_ = snap;
  update();
}

int TVSlider::TrackPixels() const {
  return std::max(height() - kThumbHeight, 0);
}

int64_t TVSlider::Span() const {
  return static_cast<int64_t>(max_) - min_;
}

int TVSlider::ThumbTopAt(int position) const {
  const int64_t span = Span();
  if (span == 0)
    return 0;
  const int64_t offset = static_cast<int64_t>(std::clamp(position, min_, max_)) - min_;
  return static_cast<int>(RoundedShare(offset, TrackPixels(), span));
}

QRect TVSlider::ThumbRect() const {
  return {(width() - kThumbWidth) / 2, ThumbTopAt(position_), kThumbWidth, kThumbHeight};
}

int TVSlider::Snap(int position) const {
  if (!snap_ || tickGap_ <= 0)
    return position;
  const int64_t offset = static_cast<int64_t>(position) - min_;
  const int64_t tick = (offset + tickGap_ / 2) / tickGap_ * tickGap_ + min_;
  // The bottom is a tick too, and the nearer one wins.
  const int64_t snapped = (max_ - position < std::abs(tick - position)) ? max_ : tick;
  return static_cast<int>(std::clamp<int64_t>(snapped, min_, max_));
}

void TVSlider::UserMove(int position) {
  SetPosition(Snap(std::clamp(position, min_, max_)));
}

void TVSlider::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QColor background = palette().color(backgroundRole());
  painter.fillRect(rect(), background);

  // The slot spans the centres the thumb can take.
  const QRect slot(width() / 2 - kSlotWidth / 2, kThumbHeight / 2, kSlotWidth,
                   std::max(TrackPixels(), 1));
  qDrawShadePanel(&painter, slot, palette(), true, 1);

  if (tickGap_ > 0) {
    painter.setPen(palette().color(QPalette::ButtonText));
    const int thumbLeft = (width() - kThumbWidth) / 2;
    const int thumbRight = thumbLeft + kThumbWidth;
    auto tick = [&](int position) {
      const int y = ThumbTopAt(position) + kThumbHeight / 2;
      painter.drawLine(std::max(thumbLeft - 2 - kTickLength, 0), y, thumbLeft - 3, y);
      painter.drawLine(thumbRight + 2, y, std::min(thumbRight + 1 + kTickLength, width() - 1), y);
    };
    // Ticks closer than two pixels would only smear the ruler (and a gap
    // of 1 over a huge range would take forever): then only the ends.
    if (Span() > 0 && RoundedShare(tickGap_, TrackPixels(), Span()) >= 2) {
      for (int64_t p = min_; p < max_; p += tickGap_)
        tick(static_cast<int>(p));
    } else {
      tick(min_);
    }
    tick(max_);
  }

  const bool enabled = isEnabled();
  const QPalette::ColorGroup group = enabled ? QPalette::Active : QPalette::Disabled;
  QImage picture = SliderThumbBitmap(thumbResourceId_, palette(), group, background);
  if (picture.isNull())
    picture = SliderThumbBitmap(kSliderThumbBitmap, palette(), group, background);
  const QRect thumb = ThumbRect();
  painter.drawImage(thumb.topLeft(), picture,
                    QRect(enabled ? 0 : kThumbWidth, 0, kThumbWidth, kThumbHeight));

  if (hasFocus()) {
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = thumb.adjusted(-1, -1, 1, 1);
    option.backgroundColor = background;
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

void TVSlider::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  const QPoint at = event->position().toPoint();
  if (ThumbRect().contains(at)) {
    dragging_ = true;
    dragStartY_ = at.y();
    dragStartPosition_ = position_;
    return;
  }
  // A click in the slot pages toward the pointer, and goes on while the
  // button is held until the thumb reaches it.
  pageDirection_ = at.y() < ThumbRect().top() ? -1 : 1;
  pageY_ = at.y();
  RepeatPage();
  pageRepeat_.start(kRepeatDelayMs);
}

void TVSlider::RepeatPage() {
  const QRect thumb = ThumbRect();
  const bool reached = pageDirection_ < 0 ? pageY_ >= thumb.top() : pageY_ <= thumb.bottom();
  if (pageDirection_ == 0 || reached) {
    pageRepeat_.stop();
    return;
  }
  UserMove(position_ + pageDirection_ * page_);
}

void TVSlider::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    if (pageDirection_ != 0)
      pageY_ = event->position().toPoint().y();
    return;
  }
  const int track = TrackPixels();
  if (track == 0)
    return;
  const int dy = std::clamp(event->position().toPoint().y() - dragStartY_, -track, track);
  const int64_t target = static_cast<int64_t>(dragStartPosition_) + RoundedShare(dy, Span(), track);
  const int position = static_cast<int>(std::clamp<int64_t>(target, min_, max_));
  if (Snap(position) != position_)
    UserMove(position);
}

void TVSlider::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QWidget::mouseReleaseEvent(event);
    return;
  }
  dragging_ = false;
  pageDirection_ = 0;
  pageRepeat_.stop();
}

void TVSlider::wheelEvent(QWheelEvent* event) {
  // Turning the wheel away from the user moves the thumb up, a page a
  // notch: a line would take thirty notches across the Alpha range.
  const int notches = wheel_.Take(*event);
  if (notches != 0)
    UserMove(position_ - notches * page_);
  event->accept();
}

void TVSlider::keyPressEvent(QKeyEvent* event) {
  const int repeat = std::max(event->count(), 1);
  int step = 0;
  switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Left:
      step = -line_;
      break;
    case Qt::Key_Down:
    case Qt::Key_Right:
      step = line_;
      break;
    case Qt::Key_PageUp:
      step = -page_;
      break;
    case Qt::Key_PageDown:
      step = page_;
      break;
    case Qt::Key_Home:
      for (int i = 0; i < repeat; ++i)
        UserMove(min_);
      return;
    case Qt::Key_End:
      for (int i = 0; i < repeat; ++i)
        UserMove(max_);
      return;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  for (int i = 0; i < repeat; ++i) {
    UserMove(
        static_cast<int>(std::clamp<int64_t>(static_cast<int64_t>(position_) + step, min_, max_)));
  }
}

void TVSlider::changeEvent(QEvent* event) {
  if (event->type() == QEvent::EnabledChange || event->type() == QEvent::PaletteChange)
    update();
  QWidget::changeEvent(event);
}
