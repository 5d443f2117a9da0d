#pragma once

#include <QFrame>
#include <QImage>
#include <QRgb>
#include <QString>
#include <array>
#include <cstdint>

// The wipe preview: the pattern scaled to the control once per load, kept
// as 64 grey levels in an indexed image, and shown through a colour table
// that applies the transition at the current position and edge width. A
// change of position or width rewrites the 64 table entries and repaints;
// the pixels are never touched again.

inline constexpr int kPreviewLevels = 64;

// Level i stands for the pattern grey (i * 255 + 31) / 63, which runs from
// 0 to 255 in 64 steps; the palette shows it in that grey.
constexpr int PreviewLevelGrey(int level) {
  return (level * 255 + 31) / 63;
}
std::array<QRgb, kPreviewLevels> PreviewPalette();

// The palette index each level is drawn in for position p and width w:
// black at or below p - w/2, white at or above p + w/2 (w/2 truncated), a
// ramp between; the identity for (128, 256).
std::array<uint16_t, kPreviewLevels> PreviewColorTable(int32_t position, int32_t width);

// The value a press at client column x gives when the client's width spans
// lo (left edge) to hi (right edge), rounded to the nearest; x outside the
// client counts as its nearer edge.
int32_t PreviewScrubValue(int32_t x, int32_t clientWidth, int32_t lo, int32_t hi);

class ImageControl : public QFrame {
  Q_OBJECT

 public:
  ImageControl(QWidget* parent, int id);
  ~ImageControl() override;

  // Measures the client area and starts with the identity colour table.
  // Runs once, when the control is first polished (before it is shown) or
  // at the first SetImage; the size it measures is kept from then on.
  void SetupWindow();
  bool IsSetUp() const { return setUp_; }

  // Scales the pattern (top row first, unpadded) to the client area and
  // keeps it as levels 0..63, rows bottom to top. Does not repaint; the next
  // SetWipe does. False, leaving the control empty, when the image cannot be
  // allocated or the pattern is not there.
  bool SetImage(const uint8_t* pattern, int32_t patternWidth, int32_t patternHeight);

  // New colour table, then a repaint: queued, or at once with repaintNow.
  void SetWipe(int32_t position, int32_t width, bool repaintNow);
  void UpdateColorTable(int32_t position, int32_t width);

  int32_t ClientWidth() const { return clientWidth_; }
  int32_t ClientHeight() const { return clientHeight_; }
  // Bytes per image row: the client width rounded up to a multiple of 4.
  int32_t RowStride() const { return (clientWidth_ + 3) & ~3; }
  // Null until a pattern is loaded.
  const QImage& Image() const { return image_; }
  const std::array<uint16_t, kPreviewLevels>& ColorTable() const { return colorTable_; }

  // Text shown, in the dialog font, while there is no picture; none at first.
  void SetHint(const QString& hint);

 signals:
  // The left button is down at client column x (pressed or dragged there).
  void Scrubbed(int32_t x);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void ApplyColorTable();

  bool setUp_ = false;
  int32_t clientWidth_ = 0;
  int32_t clientHeight_ = 0;
  QImage image_;
  std::array<QRgb, kPreviewLevels> palette_{};
  std::array<uint16_t, kPreviewLevels> colorTable_{};
  QString hint_;
};
