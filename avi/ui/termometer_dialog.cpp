#include "avi/ui/termometer_dialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <algorithm>

#include "avi/ui/termometer_control.h"
#include "controls/shorten_path.h"
#include "support/prompter.h"

namespace {

constexpr DialogItem kItems[] = {
    {TermometerDialog::kIdFileName, ItemKind::Static, "File Name", 10, 9, 137, 10, kItemCentre},
    {kNoItemId, ItemKind::Static, "", 10, 20, 137, 12, kItemBorder},
    {TermometerDialog::kIdBar, ItemKind::Custom, "", 11, 21, 135, 10, 0},
    {TEDialog::kIdCancel, ItemKind::PushButton, "Cancel", 54, 41, 50, 14, kItemDefault},
    {kNoItemId, ItemKind::Static, "", 7, 6, 143, 29, kItemEtched},
};
// The items span 7..150 across and 6..55 down; the client keeps the same
// margin round them.
constexpr DialogTemplate kTemplate{
    TermometerDialog::kTemplateId, "Termometer", 0, 0, 157, 62, 0, kItems};

// A title bar with a system menu that offers no Close, above every other
// window.
constexpr Qt::WindowFlags kWindowFlags = Qt::Dialog | Qt::CustomizeWindowHint |
                                         Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                                         Qt::WindowStaysOnTopHint;

// A window's rectangle on the screen, a child's as much as a frame's.
QRect ScreenRect(const QWidget* widget) {
  if (widget->isWindow())
    return widget->frameGeometry();
  return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

}  // namespace

const ResponseEntry TermometerDialog::kEntries[] = {
    OnCommand<&TermometerDialog::CmCancel>(TEDialog::kIdCancel),
};
const ResponseTable TermometerDialog::kResponses{&TEDialog::kResponses, TermometerDialog::kEntries};

TermometerDialog::TermometerDialog(QWidget* parent, const QString& caption, const QString& fileName,
                                   int32_t total, bool cancelAllowed, QWidget* reference)
    : TEDialog(kTemplate, parent),
      caption_(caption),
      fileName_(fileName.left(kMaxFileName)),
      cancelAllowed_(cancelAllowed),
      reference_(reference) {
  setWindowFlags(kWindowFlags);
  setMouseTracking(true);
  bar_ = MakeItem<TTermometerControl>(kIdBar, total);
  // A path is one word: it is shortened to fit, never wrapped.
  if (auto* line = ItemAs<QLabel>(kIdFileName))
    line->setWordWrap(false);
}

TermometerDialog::TermometerDialog(QWidget* parent, QWidget* reference)
    : TermometerDialog(parent, QString(), QString(), 0, false, reference) {}

TermometerDialog::~TermometerDialog() {
  StopShowing();
  if (waitCursor_)
    QGuiApplication::restoreOverrideCursor();
}

void TermometerDialog::ApplySettings() {
  setWindowTitle(caption_);
  if (auto* line = ItemAs<QLabel>(kIdFileName)) {
    const QFontMetrics metrics(line->font());
    line->setText(ShortenPath(metrics, fileName_, line->contentsRect().width()));
  }
  EnableItem(kIdCancel, cancelAllowed_);
  Place();
}

void TermometerDialog::Place() {
  move(CentredPlace(ReferenceRect(), frameGeometry().size(), screen()->geometry().size()));
}

QPoint TermometerDialog::CentredPlace(const QRect& reference, const QSize& dialog,
                                      const QSize& screen) {
  const int right = reference.left() + reference.width();
  const int bottom = reference.top() + reference.height();
  int x = (reference.left() + right - dialog.width()) / 2;
  int y = (reference.top() + bottom - dialog.height()) / 2;
  x = std::max(std::min(x, screen.width() - kScreenMargin), 0);
  y = std::max(std::min(y, screen.height() - kScreenMargin), 0);
  return {x, y};
}

QRect TermometerDialog::ReferenceRect() const {
  if (reference_)
    return ScreenRect(reference_);
  if (parentWidget())
    return ScreenRect(parentWidget());
  return screen()->geometry();
}

void TermometerDialog::StartShowing() {
  Create();
  ApplySettings();
  show();
  // Only a shown window knows the size of its frame.
  Place();
  raise();
  activateWindow();
  setFocus();
  grabMouse();
  showing_ = true;
}

void TermometerDialog::StopShowing() {
  if (!showing_)
    return;
  showing_ = false;
  releaseMouse();
  hide();
}

void TermometerDialog::Open(const std::string& caption, const std::string& fileName, int32_t total,
                            bool cancelAllowed) {
  caption_ = QString::fromStdString(caption);
  fileName_ = QString::fromStdString(fileName).left(kMaxFileName);
  cancelAllowed_ = cancelAllowed;
  cancelled_ = false;
  bar_->SetTotal(total);
  bar_->SetPosition(0);
  if (!waitCursor_) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    waitCursor_ = true;
  }
  StartShowing();
}

bool TermometerDialog::Update(int32_t done) {
  return UpdateProgress(this, done);
}

void TermometerDialog::Close() {
  StopShowing();
  if (waitCursor_) {
    QGuiApplication::restoreOverrideCursor();
    waitCursor_ = false;
  }
}

void TermometerDialog::CmCancel() {
  if (cancelAllowed_)
    cancelled_ = true;
}

void TermometerDialog::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton)
    return;
  const QPoint point = event->globalPosition().toPoint();
  // The capture brings every click here, the Cancel button's too.
  const QWidget* cancel = Item(kIdCancel);
  if (cancelAllowed_ && cancel && ScreenRect(cancel).contains(point)) {
    cancelled_ = true;
    for (int i = 0; i < kCancelBeeps; ++i)
      CurrentPrompter().Beep();
  }
}

void TermometerDialog::mouseReleaseEvent(QMouseEvent*) {}

void TermometerDialog::mouseMoveEvent(QMouseEvent* event) {
  const QPoint p = event->position().toPoint();
  const bool inside = p.x() >= 0 && p.x() <= width() && p.y() >= 0 && p.y() <= height();
  ShowCursorShape(inside ? Qt::ArrowCursor : Qt::WaitCursor);
}

void TermometerDialog::ShowCursorShape(Qt::CursorShape shape) {
  // The export's wait cursor covers the whole program: change that one.
  if (waitCursor_) {
    QGuiApplication::changeOverrideCursor(shape);
  } else {
    setCursor(shape);
  }
}

TermometerDialog* OpenProgress(QWidget* parent, const QString& caption, const QString& fileName,
                               int32_t total, bool cancelAllowed, QWidget* reference) {
  auto* dialog = new TermometerDialog(parent, caption, fileName, total, cancelAllowed, reference);
  dialog->StartShowing();
  return dialog;
}

bool UpdateProgress(TermometerDialog* dialog, int32_t value) {
  if (!dialog || !dialog->Showing())
    return true;
  dialog->Bar()->SetPosition(value);
  dialog->Bar()->repaint();
  QCoreApplication::processEvents();
  return !dialog->Cancelled();
}

void CloseProgress(TermometerDialog*& dialog) {
  if (!dialog)
    return;
  dialog->StopShowing();
  delete dialog;
  dialog = nullptr;
}
