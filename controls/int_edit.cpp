#include "controls/int_edit.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QStyle>
#include <QStyleOptionFrame>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "controls/private_messages.h"
#include "controls/spin_button.h"
#include "support/prompter.h"

namespace {

// QLineEdit's cursor rectangle starts this far left of the cursor.
constexpr int kCursorRectLead = 5;

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// A key press whose text a line edit would insert: printable, and not a
// Ctrl or Ctrl+Shift chord (those are commands such as copy and paste).
bool IsTypedCharacter(const QKeyEvent* event) {
  const QString text = event->text();
  if (text.isEmpty() || text.at(0).unicode() < 0x20 || text.at(0).unicode() == 0x7f)
    return false;
  const Qt::KeyboardModifiers chord =
      event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
  return chord != Qt::ControlModifier && chord != (Qt::ControlModifier | Qt::ShiftModifier);
}

bool IsControlCharacter(const QKeyEvent* event) {
  const QString text = event->text();
  return !text.isEmpty() && text.at(0).unicode() < 0x20;
}

}  // namespace

TIntEdit::TIntEdit(QWidget* parent, int id, int min, int max, const QRect& geometry)
    : QLineEdit(parent), id_(id), min_(min), max_(max) {
  setMaxLength(kTextLimit);
  setAcceptDrops(false);  // dropped text would bypass the character filter
  setInputMethodHints(Qt::ImhFormattedNumbersOnly);
  spin_ = new SpinButton(this, [this](SpinButton::Step step, Qt::KeyboardModifiers modifiers) {
    OnSpin(step == SpinButton::Step::kLineUp, modifiers);
  });
  if (geometry.isValid())
    setGeometry(geometry);
  MeasureCharacters();
  PlaceSpin();
}

TIntEdit::~TIntEdit() = default;

int TIntEdit::GetValue() const {
  char buffer[12] = {};
  const QByteArray bytes = text().left(kTextLimit).toLatin1();
  std::memcpy(buffer, bytes.constData(), std::min<size_t>(bytes.size(), kTextLimit));
  if (buffer[0] == '\0')
    return min_;
  long value = std::strtol(buffer, nullptr, 10);
  if (value > max_)
    value = max_;
  if (value < min_)
    value = min_;
  return static_cast<int>(value);
}

void TIntEdit::SetValue(int value, bool force) {
  if (value > max_)
    value = max_;
  if (value < min_)
    value = min_;
  if (force || value != GetValue())
    setText(QString::number(value));
}

void TIntEdit::SetRange(int min, int max) {
  min_ = min;
  max_ = max;
  SetValue(GetValue(), false);
}

void TIntEdit::PostValueChanged() {
  if (QWidget* parent = parentWidget())
    PostPrivateMessage(parent, WM_VALUECHANGED, id_, reinterpret_cast<intptr_t>(this));
}

void TIntEdit::MeasureCharacters() {
  // Widths in the font the text is drawn with, so the drag hits the digit
  // that is under the pointer.
  const QFontMetrics metrics = fontMetrics();
  dashWidth_ = metrics.horizontalAdvance(QString(10, QLatin1Char('-'))) / 10;
  for (int d = 0; d < 10; ++d)
    digitWidth_[d] = metrics.horizontalAdvance(QString(10, QLatin1Char('0' + d))) / 10;
}

void TIntEdit::PlaceSpin() {
  QStyleOptionFrame option;
  initStyleOption(&option);
  const int frame = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, this);
  const QRect inner = rect().adjusted(frame, frame, -frame, -frame);
  const int extent = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  const int width = std::clamp(inner.height() * 4 / 5, 10, std::max(10, extent));
  spin_->setGeometry(inner.right() + 1 - width, inner.top(), width, inner.height());
  setTextMargins(0, 0, width, 0);
}

int TIntEdit::TextOriginX() const {
  // A text wider than the edit is drawn scrolled to keep the cursor in
  // view, so the text starts where the edit draws the cursor, less the
  // width of what comes before the cursor.
  const QString before = text().left(cursorPosition());
  return cursorRect().x() + kCursorRectLead - fontMetrics().horizontalAdvance(before);
}

void TIntEdit::OnSpin(bool up, Qt::KeyboardModifiers modifiers) {
  int64_t delta = 1;
  if (modifiers & Qt::ControlModifier)
    delta = 100;
  else if (modifiers & Qt::ShiftModifier)
    delta = 10;
  StepBy(up ? delta : -delta);
  setFocus(Qt::OtherFocusReason);
}

void TIntEdit::StepBy(int64_t delta) {
  const int64_t target = std::clamp<int64_t>(GetValue() + delta, INT32_MIN, INT32_MAX);
  SetValue(static_cast<int>(target), false);
  PostValueChanged();
}

void TIntEdit::wheelEvent(QWheelEvent* event) {
  const int notches = wheel_.Take(*event);
  if (notches != 0)
    StepBy(static_cast<int64_t>(notches) * WheelStep(event->modifiers()));
  event->accept();
}

bool TIntEdit::Accepts(const QString& inserted) const {
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  for (int i = 0; i < inserted.size(); ++i) {
    const QChar c = inserted.at(i);
    if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
      continue;
    if (c == QLatin1Char('-') && start + i == 0)
      continue;
    return false;
  }
  return true;
}

bool TIntEdit::PasteFiltered(QClipboard::Mode mode) {
  // Blanks and a line end around a copied number are not part of it.
  const QString clip = QGuiApplication::clipboard()->text(mode).trimmed();
  if (clip.isEmpty())
    return false;
  if (!Accepts(clip)) {
    CurrentPrompter().Beep();
    return false;
  }
  insert(clip);
  return true;
}

void TIntEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    if (PasteFiltered(QClipboard::Clipboard))
      PostValueChanged();
    return;
  }
  // Enter takes the typed value as leaving the edit does; it is the edit's
  // own key, never the dialog's default button.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    SetValue(GetValue(), true);
    return;
  }
  if ((event->key() == Qt::Key_Up || event->key() == Qt::Key_Down) &&
      !(event->modifiers() & Qt::AltModifier)) {
    OnSpin(event->key() == Qt::Key_Up, event->modifiers());
    return;
  }
  if (IsTypedCharacter(event)) {
    if (!Accepts(event->text())) {
      CurrentPrompter().Beep();
      return;
    }
    if (text().size() >= maxLength() && !hasSelectedText()) {
      CurrentPrompter().Beep();
      return;
    }
    QLineEdit::keyPressEvent(event);
    PostValueChanged();
    return;
  }
  QLineEdit::keyPressEvent(event);
  if (event->key() == Qt::Key_Delete || IsControlCharacter(event))
    PostValueChanged();
}

void TIntEdit::inputMethodEvent(QInputMethodEvent* event) {
  if (event->commitString().isEmpty()) {
    QLineEdit::inputMethodEvent(event);
    return;
  }
  if (!Accepts(event->commitString())) {
    CurrentPrompter().Beep();
    QInputMethodEvent withoutCommit(event->preeditString(), event->attributes());
    QLineEdit::inputMethodEvent(&withoutCommit);
    return;
  }
  QLineEdit::inputMethodEvent(event);
  PostValueChanged();
}

void TIntEdit::focusOutEvent(QFocusEvent* event) {
  // A context menu borrows the focus; the edit is still being worked on.
  if (event->reason() != Qt::PopupFocusReason) {
    dragging_ = false;
    SetValue(GetValue(), true);
  }
  QLineEdit::focusOutEvent(event);
}

void TIntEdit::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    BeginDrag(event->position().toPoint());
    return;
  }
  if (dragging_)
    return;
  QLineEdit::mousePressEvent(event);
}

void TIntEdit::BeginDrag(QPoint pos) {
  setFocus(Qt::MouseFocusReason);
  if (dragging_)
    return;
  const QByteArray text = this->text().left(kTextLimit).toLatin1();
  const int n = static_cast<int>(text.size());
  if (n == 0)
    return;

  const int x = pos.x() - TextOriginX();
  int edge = 0;
  int i = 0;
  int found = -1;
  for (; i < n && text[i] == '-' && found < 0; ++i) {
    edge += dashWidth_;
    if (edge > x)
      found = i;
  }
  for (; found < 0 && i < n && IsDigit(text[i]); ++i) {
    edge += digitWidth_[text[i] - '0'];
    if (edge > x)
      found = i;
  }
  if (found < 0)
    found = i < n ? i : n - 1;
  if (!IsDigit(text[found]))
    return;

  dragPlace_ = 0;
  dragStep_ = 1;
  for (int j = found + 1; j < n && IsDigit(text[j]); ++j) {
    ++dragPlace_;
    dragStep_ *= 10;
  }
  dragBase_ = GetValue();
  dragX_ = pos.x();
  dragY_ = pos.y();
  setSelection(found, 1);
  // While the button is held, Qt sends every move and the release to the
  // widget that took the press, wherever the pointer goes.
  dragging_ = true;
}

void TIntEdit::SelectDraggedDigit() {
  // The digit keeps its place value while the text grows or shrinks.
  const QString t = text();
  const int pos = static_cast<int>(t.size()) - 1 - dragPlace_;
  if (pos >= 0 && t.at(pos).isDigit())
    setSelection(pos, 1);
}

void TIntEdit::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) {
    QLineEdit::mouseMoveEvent(event);
    return;
  }
  const int y = event->position().toPoint().y();
  const int64_t steps = (dragY_ - y) / kDragStepPixels;
  const int64_t target = std::clamp<int64_t>(dragBase_ + steps * dragStep_, min_, max_);
  const int value = static_cast<int>(target);
  if (value != GetValue()) {
    SetValue(value, false);
    SelectDraggedDigit();
    PostValueChanged();
  }
}

void TIntEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::RightButton) {
    dragging_ = false;
    return;
  }
  if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
    // The selection paste, through the same filter as every other paste.
    const QString before = text();
    deselect();
    PasteFiltered(QClipboard::Selection);
    if (text() != before)
      PostValueChanged();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

void TIntEdit::contextMenuEvent(QContextMenuEvent* event) {
  // The right button belongs to the digit drag; the menu comes up only when
  // the press grabbed no digit, or from the keyboard.
  if (event->reason() == QContextMenuEvent::Mouse && dragging_)
    return;
  // The edit's usual menu, with a paste that goes through the filter.
  QMenu menu(this);
  const auto add = [&](const char* name, const QString& text, QKeySequence::StandardKey key,
                       bool enabled, auto run) {
    const QString shortcut = QKeySequence(key).toString(QKeySequence::NativeText);
    QAction* action = menu.addAction(shortcut.isEmpty() ? text : text + u'\t' + shortcut);
    action->setObjectName(QString::fromLatin1(name));
    action->setEnabled(enabled);
    connect(action, &QAction::triggered, this, run);
  };
  const bool selection = hasSelectedText();
  add("edit-undo", QStringLiteral("&Undo"), QKeySequence::Undo, isUndoAvailable(),
      [this] { undo(); });
  add("edit-redo", QStringLiteral("&Redo"), QKeySequence::Redo, isRedoAvailable(),
      [this] { redo(); });
  menu.addSeparator();
  add("edit-cut", QStringLiteral("Cu&t"), QKeySequence::Cut, selection, [this] { cut(); });
  add("edit-copy", QStringLiteral("&Copy"), QKeySequence::Copy, selection, [this] { copy(); });
  add("edit-paste", QStringLiteral("&Paste"), QKeySequence::Paste,
      !QGuiApplication::clipboard()->text().isEmpty(),
      [this] { PasteFiltered(QClipboard::Clipboard); });
  add("edit-delete", QStringLiteral("Delete"), QKeySequence::UnknownKey, selection,
      [this] { del(); });
  menu.addSeparator();
  add("select-all", QStringLiteral("Select All"), QKeySequence::SelectAll, !text().isEmpty(),
      [this] { selectAll(); });
  const QString before = text();
  menu.exec(event->globalPos());
  if (text() != before)
    PostValueChanged();
}

void TIntEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  PlaceSpin();
}

void TIntEdit::changeEvent(QEvent* event) {
  QLineEdit::changeEvent(event);
  if (event->type() == QEvent::FontChange)
    MeasureCharacters();
  if (event->type() == QEvent::StyleChange)
    PlaceSpin();
}
