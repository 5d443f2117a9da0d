#include "app/sdi_dec_frame.h"

#include <QCloseEvent>
#include <QLayout>
#include <QMetaObject>

#include "app/fx_client.h"

TSDIDecFrame::TSDIDecFrame() : QMainWindow(nullptr), client_(new TFxClient) {
  setWindowTitle(QStringLiteral("Orvane FX"));
  setCentralWidget(client_);
  // The dialog closes itself (Exit, Escape, a card that cannot be opened):
  // the program ends with it. Queued, so the dialog's handler finishes first.
  connect(client_, &QDialog::finished, this,
          [this] { QMetaObject::invokeMethod(this, &QWidget::close, Qt::QueuedConnection); });
}

TSDIDecFrame::~TSDIDecFrame() = default;

void TSDIDecFrame::SetShrinkToClient(bool shrink) {
  shrinkToClient_ = shrink;
  UpdateSizing();
}

void TSDIDecFrame::SetWindowStyle(uint32_t style) {
  style_ = style;
  // Qt has no visible or clip-children bits: a window is shown by its show
  // state, and children always clip.
  Qt::WindowFlags flags = Qt::Window | Qt::CustomizeWindowHint;
  if ((style & kWsCaption) == kWsCaption)
    flags |= Qt::WindowTitleHint;
  if (style & kWsSysMenu)
    flags |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
  if (style & kWsMinimizeBox)
    flags |= Qt::WindowMinimizeButtonHint;
  if (style & kWsMaximizeBox)
    flags |= Qt::WindowMaximizeButtonHint;
  const bool visible = isVisible();
  setWindowFlags(flags);
  UpdateSizing();
  if (visible)
    show();
}

void TSDIDecFrame::UpdateSizing() {
  // A fixed-size layout makes the frame exactly as large as its client and
  // lets it follow any change of the client's size; it also tells the
  // window manager the frame cannot be resized.
  const bool fixed = shrinkToClient_ || !(style_ & kWsThickFrame);
  layout()->setSizeConstraint(fixed ? QLayout::SetFixedSize : QLayout::SetDefaultConstraint);
  if (fixed)
    adjustSize();
}

void TSDIDecFrame::closeEvent(QCloseEvent* event) {
  // An export running in this window's thread ends first, as its Cancel
  // would end it, keeping the frames written; the dialog then closes, and
  // the frame with it.
  if (client_->Exporting()) {
    client_->CancelExportAndClose();
    event->ignore();
    return;
  }
  QMainWindow::closeEvent(event);
  if (event->isAccepted())
    emit Closed();
}
