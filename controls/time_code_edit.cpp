#include "controls/time_code_edit.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleHints>
#include <algorithm>
#include <cassert>
#include <cstdio>
#include <cstring>

#include "controls/drawing_objects.h"
#include "controls/private_messages.h"
#include "support/prompter.h"
#include "support/time_code.h"

namespace {

// The hours field has two cells and the frame count seven.
constexpr int32_t kHoursLimitMs = 100 * 3600 * 1000;
constexpr int32_t kFrameCountLimit = 10000000;

// Highest digit Page Up puts into each cell.
constexpr char kCellMaxFrames[] = "29595929";
constexpr char kCellMaxCount[] = "9999999";
constexpr char kCellMaxMillis[] = "995959999";

}  // namespace

int32_t TimeCodeEdit::LargestMax(int32_t mode, float fps) {
  if (mode == 2) {
    int32_t ms = FramesToMs(kFrameCountLimit - 1, fps);
    while (ms > 0 && MsToFrames(ms, fps) >= kFrameCountLimit)
      --ms;
    return ms;
  }
  // A remainder whose frames round up to a whole second carries into the
  // seconds, and at the top of the range on into a hundredth hour, which two
  // cells cannot show: the text then has more than its cells and separators.
  const size_t shown = static_cast<size_t>(TimeDigitCount(mode)) + 3;
  int32_t ms = kHoursLimitMs - 1;
  while (ms > 0 && FormatTime(ms, mode, fps).size() > shown)
    --ms;
  return ms;
}

TimeCodeEdit::TimeCodeEdit(QWidget* parent, int id, int valueMs, int minMs, int maxMs, int32_t mode,
                           float fps, const QRect& geometry)
    : QWidget(parent), id_(id), mode_(mode), fps_(fps) {
  const int32_t largest = LargestMax(mode_, fps_);
  assert(minMs >= 0 && minMs <= maxMs && maxMs <= largest && "time code range the cells can show");
  // Should an owner get it wrong anyway, stay within what the cells can show.
  max_ = std::clamp(maxMs, 0, largest);
  min_ = std::clamp(minMs, 0, max_);
  value_ = valueMs < min_ ? min_ : (valueMs > max_ ? max_ : valueMs);

  last_ = TimeDigitCount(mode_) - 1;
  cellMax_ = mode_ == 1 ? kCellMaxFrames : (mode_ == 2 ? kCellMaxCount : kCellMaxMillis);
  cursor_ = last_;
  CellsFromValue(value_);

  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::StrongFocus);
  setCursor(Qt::IBeamCursor);
  const int flash = QGuiApplication::styleHints()->cursorFlashTime();
  caretBlink_.setInterval(flash > 0 ? flash / 2 : 0);
  connect(&caretBlink_, &QTimer::timeout, this, [this] {
    caretOn_ = !caretOn_;
    update(CaretRect());
  });
  if (geometry.isValid())
    setGeometry(geometry);
  Layout();
}

void TimeCodeEdit::SetFrameRate(float fps) {
  fps_ = fps;
  // A range that fitted the cells at the old rate may not at this one.
  max_ = std::min(max_, LargestMax(mode_, fps_));
  min_ = std::min(min_, max_);
  value_ = std::clamp(value_, min_, max_);
  shiftEntry_ = false;
  CellsFromValue(value_);
  update();
}

void TimeCodeEdit::CellsFromValue(int ms) {
  std::string text;
  if (mode_ == 2) {
    char digits[16];
    std::snprintf(digits, sizeof digits, "%07ld", static_cast<long>(MsToFrames(ms, fps_)));
    text = digits;
  } else {
    text = FormatTime(ms, mode_, fps_);
  }
  static constexpr int kTextIndex[9] = {0, 1, 3, 4, 6, 7, 9, 10, 11};
  for (int i = 0; i <= last_; ++i) {
    const size_t at = mode_ == 2 ? static_cast<size_t>(i) : static_cast<size_t>(kTextIndex[i]);
    cells_[i] = at < text.size() ? text[at] : '0';
  }
  cells_[last_ + 1] = '\0';
}

QString TimeCodeEdit::Text() const {
  if (mode_ == 2)
    return QString::fromLatin1(cells_, last_ + 1);
  QString text;
  for (int i = 0; i <= last_; ++i) {
    text += QLatin1Char(cells_[i]);
    if (i == 1 || i == 3 || i == 5)
      text += QLatin1Char(':');
  }
  return text;
}

void TimeCodeEdit::Layout() {
  const QFontMetrics metrics(DialogFont(), this);
  colonWidth_ = metrics.horizontalAdvance(QStringLiteral("::::::::::")) / 10;
  cellWidth_ = metrics.horizontalAdvance(QStringLiteral("0000000000")) / 10;
  height_ = height();
  caretY_ = 0;
  const int w = width();
  std::fill(std::begin(cellX_), std::end(cellX_), w);
  if (mode_ == 2) {
    const int left = (w - (last_ + 1) * cellWidth_) / 2;
    for (int i = 0; i <= last_; ++i)
      cellX_[i] = left + i * cellWidth_;
  } else {
    cellX_[0] = (w - 3 * colonWidth_ - (last_ + 1) * cellWidth_) / 2;
    for (int i = 1; i <= last_ + 1 && i < 9; ++i)
      cellX_[i] = cellX_[i - 1] + cellWidth_ + ((i == 2 || i == 4 || i == 6) ? colonWidth_ : 0);
  }
  if (hasCaret_)
    ShowCaret();
  update();
}

QSize TimeCodeEdit::sizeHint() const {
  const QFontMetrics metrics(DialogFont(), this);
  const int colons = mode_ == 2 ? 0 : 3;
  return {colons * colonWidth_ + (last_ + 1) * cellWidth_ + 8, metrics.height() + 4};
}

void TimeCodeEdit::resizeEvent(QResizeEvent*) {
  Layout();
}

void TimeCodeEdit::Notify() {
  SendCommand(parentWidget(), id_, kEnChange);
}

void TimeCodeEdit::SetTime(int ms, bool notify) {
  if (ms < min_)
    ms = min_;
  if (ms > max_)
    ms = max_;
  char before[sizeof cells_];
  std::memcpy(before, cells_, sizeof cells_);
  CellsFromValue(ms);
  // What is shown is always what GetTime reads, even when a commit only
  // normalises the typed cells without changing the value.
  const bool changed = ms != value_;
  if (changed || std::memcmp(before, cells_, sizeof cells_) != 0)
    update();
  if (!changed)
    return;
  value_ = ms;
  if (notify)
    Notify();
}

int TimeCodeEdit::GetTime(bool clamp) const {
  int32_t ms =
      ParseTimeDigits(std::string_view(cells_, static_cast<size_t>(last_ + 1)), mode_, fps_);
  if (clamp)
    ms = std::clamp(ms, min_, max_);
  return ms;
}

void TimeCodeEdit::Commit() {
  SetTime(GetTime(true), true);
  shiftEntry_ = false;
}

void TimeCodeEdit::MoveCursor(int i) {
  cursor_ = std::clamp(i, 0, last_);
  if (hasCaret_)
    ShowCaret();
  if (selected_) {
    update();
    selected_ = false;
  }
  if (shiftEntry_)
    Commit();
}

void TimeCodeEdit::SetCell(int i, int c) {
  // A cell may step past '9' or below '0' for one parse, which carries into
  // the next field; keep it a character the parse reads as that distance.
  cells_[i] = static_cast<char>(std::clamp(c, '0' - 20, '9' + 20));
  Commit();
  if (selected_) {
    update();
    selected_ = false;
  }
}

void TimeCodeEdit::StepCell(int delta) {
  // Cells are normalised after every step, so a long pointer travel is
  // applied a few digits at a time; it stops once the range holds it back.
  while (delta != 0) {
    const int step = std::clamp(delta, -9, 9);
    const int32_t before = value_;
    SetCell(cursor_, cells_[cursor_] + step);
    delta -= step;
    if (value_ == before)
      break;
  }
}

void TimeCodeEdit::ClearSelection() {
  if (!selected_)
    return;
  SetTime(0, true);
  update();
  selected_ = false;
}

void TimeCodeEdit::EnterDigit(int digit) {
  ClearSelection();
  if (shiftEntry_ && cursor_ == last_) {
    // Calculator entry: the digits move left and the new one comes in on the
    // right; the value follows unclamped until the entry is committed.
    std::memmove(cells_, cells_ + 1, static_cast<size_t>(last_));
    cells_[last_] = static_cast<char>('0' + digit);
    update();
    value_ = GetTime(false);
    Notify();
  } else {
    SetCell(cursor_, '0' + digit);
  }
  if (cursor_ == last_)
    shiftEntry_ = true;
  else
    MoveCursor(cursor_ + 1);
}

void TimeCodeEdit::keyPressEvent(QKeyEvent* event) {
  const Qt::KeyboardModifiers modifiers = event->modifiers();
  if (modifiers & (Qt::AltModifier | Qt::MetaModifier)) {
    QWidget::keyPressEvent(event);  // menu and window shortcuts
    return;
  }
  const int key = event->key();
  if (key >= Qt::Key_0 && key <= Qt::Key_9 && !(modifiers & Qt::KeypadModifier)) {
    EnterDigit(key - Qt::Key_0);
    return;
  }
  if (key >= Qt::Key_A && key <= Qt::Key_Z) {
    CurrentPrompter().Beep();
    return;
  }
  switch (key) {
    case Qt::Key_Up:
      SetCell(cursor_, cells_[cursor_] + 1);
      break;
    case Qt::Key_Down:
      SetCell(cursor_, cells_[cursor_] - 1);
      break;
    case Qt::Key_PageUp:
      SetCell(cursor_, cellMax_[cursor_]);
      break;
    case Qt::Key_PageDown:
      SetCell(cursor_, '0');
      break;
    case Qt::Key_Left:
      MoveCursor(cursor_ - 1);
      break;
    case Qt::Key_Right:
      MoveCursor(cursor_ + 1);
      break;
    case Qt::Key_Home:
      MoveCursor(0);
      break;
    case Qt::Key_End:
      MoveCursor(last_);
      break;
    case Qt::Key_Space:
    // Enter takes the typed time as Space does; it is the control's own key,
    // never the dialog's default button.
    case Qt::Key_Return:
    case Qt::Key_Enter:
      Commit();
      break;
    case Qt::Key_Backspace:
      ClearSelection();
      if (shiftEntry_) {
        SetCell(cursor_, '0');
      } else if (cursor_ > 0) {
        MoveCursor(cursor_ - 1);
        SetCell(cursor_, '0');
      }
      break;
    case Qt::Key_Delete:
      ClearSelection();
      SetCell(cursor_, '0');
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
}

void TimeCodeEdit::mousePressEvent(QMouseEvent* event) {
  const Qt::MouseButton button = event->button();
  if ((button != Qt::LeftButton && button != Qt::RightButton) || dragging_)
    return;
  setFocus(Qt::MouseFocusReason);
  const QPoint pos = event->position().toPoint();
  MoveCursor(CellAt(pos.x()));
  dragX_ = pos.x();
  dragY_ = pos.y();
  dragging_ = true;
  // Held down, the button keeps the pointer's moves and release coming to
  // this control wherever the pointer goes.
  dragButton_ = button;
}

int TimeCodeEdit::CellAt(int x) const {
  int i = 0;
  while (i < 10 && x >= cellX_[i])
    ++i;
  return i - 1;
}

void TimeCodeEdit::wheelEvent(QWheelEvent* event) {
  event->accept();
  const int notches = wheel_.Take(*event);
  if (notches == 0 || dragging_)
    return;
  MoveCursor(CellAt(event->position().toPoint().x()));
  StepCell(notches * WheelStep(event->modifiers()));
}

void TimeCodeEdit::EndDrag() {
  if (!dragging_)
    return;
  dragging_ = false;
  dragButton_ = Qt::NoButton;
}

void TimeCodeEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == dragButton_)
    EndDrag();
}

void TimeCodeEdit::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_)
    return;
  const int y = event->position().toPoint().y();
  if (y > dragY_) {
    const int n = (y - dragY_) / kDragStepPixels;
    if (n > 0) {
      dragY_ += n * kDragStepPixels;
      StepCell(-n);
    }
  } else {
    const int n = (dragY_ - y) / kDragStepPixels;
    if (n > 0) {
      dragY_ -= n * kDragStepPixels;
      StepCell(n);
    }
  }
}

void TimeCodeEdit::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    mousePressEvent(event);
    return;
  }
  setFocus(Qt::MouseFocusReason);
  MoveCursor(last_);
  update();
  selected_ = true;
  shiftEntry_ = true;
}

QRect TimeCodeEdit::CaretRect() const {
  return {cellX_[cursor_], caretY_, cellWidth_ + 1, height_};
}

void TimeCodeEdit::ShowCaret() {
  // Every move shows the caret at once and starts its blink afresh.
  caretOn_ = true;
  if (caretBlink_.interval() > 0)
    caretBlink_.start();
  update();
}

void TimeCodeEdit::DestroyCaret() {
  caretBlink_.stop();
  caretOn_ = false;
  hasCaret_ = false;
  update();
}

void TimeCodeEdit::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  if (!hasCaret_) {
    hasCaret_ = true;
    ShowCaret();
  }
  update();
  selected_ = true;
}

void TimeCodeEdit::focusOutEvent(QFocusEvent* event) {
  if (hasCaret_)
    DestroyCaret();
  if (selected_) {
    update();
    selected_ = false;
  }
  if (shiftEntry_)
    Commit();
  EndDrag();
  QWidget::focusOutEvent(event);
}

void TimeCodeEdit::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  const QFont& font = DialogFont();
  painter.setFont(font);
  const QFontMetrics metrics(font, this);
  const int textTop = (height() - metrics.height()) / 2;
  const int textRight = cellX_[last_] + cellWidth_;
  if (selected_)
    painter.fillRect(cellX_[0], textTop, textRight - cellX_[0], metrics.height(),
                     QColor(0, 0, 255));
  QColor ink =
      isEnabled() ? QColor(Qt::black) : palette().color(QPalette::Disabled, QPalette::Text);
  if (selected_)
    ink = Qt::white;
  painter.setPen(ink);
  // Each character is drawn in its own cell, so the cells the mouse and the
  // caret use are exactly where the digits are.
  const auto draw = [&](int x, int w, QChar c) {
    painter.drawText(QRect(x, textTop, w, metrics.height()),
                     Qt::AlignCenter | Qt::TextDontClip | Qt::TextSingleLine, QString(c));
  };
  for (int i = 0; i <= last_; ++i) {
    draw(cellX_[i], cellWidth_, QLatin1Char(cells_[i]));
    if (mode_ != 2 && (i == 1 || i == 3 || i == 5))
      draw(cellX_[i] + cellWidth_, colonWidth_, QLatin1Char(':'));
  }
  if (hasCaret_ && caretOn_) {
    painter.setCompositionMode(QPainter::CompositionMode_Difference);
    painter.fillRect(CaretRect(), Qt::white);
  }
  paintedText_ = Text();
}
