#include "wipe/ui/image_control.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <new>
#include <vector>

#include "controls/dialog_items.h"
#include "controls/drawing_objects.h"
#include "wipe/scale_grey_image.h"

std::array<QRgb, kPreviewLevels> PreviewPalette() {
  std::array<QRgb, kPreviewLevels> palette{};
  for (int i = 0; i < kPreviewLevels; ++i) {
    const int grey = PreviewLevelGrey(i);
    palette[i] = qRgb(grey, grey, grey);
  }
  return palette;
}

std::array<uint16_t, kPreviewLevels> PreviewColorTable(int32_t position, int32_t width) {
  std::array<uint16_t, kPreviewLevels> table{};
  // 64-bit, so no position or width a caller passes can overflow.
  const int64_t d = width / 2;
  const int64_t lo = static_cast<int64_t>(position) - d;
  const int64_t hi = static_cast<int64_t>(position) + d;
  for (int i = 0; i < kPreviewLevels; ++i) {
    const int64_t e = PreviewLevelGrey(i);
    if (e <= lo) {
      table[i] = 0;
    } else if (e >= hi) {
      table[i] = kPreviewLevels - 1;
    } else {
      // Here lo < e < hi, so d > 0.
      table[i] = static_cast<uint16_t>(((e - lo) * 63 + d) / (2 * d));
    }
  }
  return table;
}

int32_t PreviewScrubValue(int32_t x, int32_t clientWidth, int32_t lo, int32_t hi) {
  if (clientWidth <= 1 || hi <= lo)
    return lo;
  const int64_t last = clientWidth - 1;
  const int64_t column = std::clamp<int64_t>(x, 0, last);
  return static_cast<int32_t>(lo + (column * (static_cast<int64_t>(hi) - lo) + last / 2) / last);
}

ImageControl::ImageControl(QWidget* parent, int id) : QFrame(parent) {
  SetDialogItemId(this, id);
  // Every pixel of the client area is painted here; nothing to erase first.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

ImageControl::~ImageControl() = default;

void ImageControl::SetupWindow() {
  if (setUp_)
    return;
  setUp_ = true;
  const QRect client = contentsRect();
  clientWidth_ = client.width();
  clientHeight_ = client.height();
  palette_ = PreviewPalette();
  UpdateColorTable(128, 256);
}

bool ImageControl::event(QEvent* event) {
  if (event->type() == QEvent::Polish)
    SetupWindow();
  return QFrame::event(event);
}

bool ImageControl::SetImage(const uint8_t* pattern, int32_t patternWidth, int32_t patternHeight) {
  SetupWindow();
  image_ = QImage();
  if (!pattern || patternWidth <= 0 || patternHeight <= 0) {
    update();
    return false;
  }
  // A control with no client area has nothing to show.
  if (clientWidth_ <= 0 || clientHeight_ <= 0)
    return true;

  QImage image(clientWidth_, clientHeight_, QImage::Format_Indexed8);
  std::vector<uint8_t> scaled;
  try {
    scaled.resize(static_cast<size_t>(clientWidth_) * clientHeight_);
  } catch (const std::bad_alloc&) {
    image = QImage();
  }
  if (image.isNull() || image.bytesPerLine() != RowStride()) {
    update();
    return false;
  }

  ScaleGreyImage(scaled.data(), clientWidth_, clientHeight_, pattern, patternWidth, patternHeight);
  // The picture is kept bottom row first, as a bitmap is stored.
  for (int32_t y = 0; y < clientHeight_; ++y) {
    const uint8_t* from = scaled.data() + static_cast<size_t>(y) * clientWidth_;
    uint8_t* to = image.scanLine(clientHeight_ - 1 - y);
    for (int32_t x = 0; x < clientWidth_; ++x)
      to[x] = from[x] >> 2;
    for (int32_t x = clientWidth_; x < RowStride(); ++x)
      to[x] = 0;
  }
  image_ = std::move(image);
  ApplyColorTable();
  return true;
}

void ImageControl::UpdateColorTable(int32_t position, int32_t width) {
  colorTable_ = PreviewColorTable(position, width);
  ApplyColorTable();
}

void ImageControl::ApplyColorTable() {
  if (image_.isNull())
    return;
  QList<QRgb> colours(kPreviewLevels);
  for (int i = 0; i < kPreviewLevels; ++i)
    colours[i] = palette_[colorTable_[i]];
  // The image is the only holder of its pixels, so this replaces the table
  // and leaves the pixels where they are.
  image_.setColorTable(colours);
}

void ImageControl::SetWipe(int32_t position, int32_t width, bool repaintNow) {
  UpdateColorTable(position, width);
  if (repaintNow) {
    repaint();
  } else {
    update();
  }
}

void ImageControl::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const QRect client = contentsRect();
  const bool pictureCovers =
      !image_.isNull() && client.width() <= clientWidth_ && client.height() <= clientHeight_;
  // An empty control shows the brush; so does whatever a later resize
  // uncovered beside the picture, whose size was taken once.
  if (!pictureCovers)
    painter.fillRect(client, palette().brush(QPalette::Base));
  if (!image_.isNull()) {
    painter.save();
    painter.setClipRect(client);
    painter.translate(client.left(), client.top() + clientHeight_);
    painter.scale(1, -1);
    painter.drawImage(QPoint(0, 0), image_, QRect(0, 0, clientWidth_, clientHeight_));
    painter.restore();
  }
  if (image_.isNull() && !hint_.isEmpty()) {
    painter.setFont(DialogFont());
    painter.setPen(palette().color(QPalette::Text));
    painter.drawText(client.adjusted(4, 4, -4, -4), Qt::AlignCenter | Qt::TextWordWrap, hint_);
  }
  drawFrame(&painter);
}

void ImageControl::SetHint(const QString& hint) {
  if (hint == hint_)
    return;
  hint_ = hint;
  update();
}

void ImageControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) {
    QFrame::mousePressEvent(event);
    return;
  }
  // Held down, the button brings every move here wherever the pointer goes.
  emit Scrubbed(event->position().toPoint().x() - contentsRect().left());
}

void ImageControl::mouseMoveEvent(QMouseEvent* event) {
  if (event->buttons() & Qt::LeftButton)
    emit Scrubbed(event->position().toPoint().x() - contentsRect().left());
}
