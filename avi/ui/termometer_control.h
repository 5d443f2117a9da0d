#pragma once

#include <QString>
#include <QWidget>
#include <cstdint>

// A progress bar: the done part in blue, the rest in grey, and the
// percentage in red across the middle. It paints every pixel itself.
class TTermometerControl : public QWidget {
  Q_OBJECT

 public:
  // total stands for 100 percent; the position starts at 0.
  TTermometerControl(QWidget* parent, int id, int32_t total);

  int32_t Total() const { return total_; }
  void SetTotal(int32_t total) { total_ = total; }
  int32_t Position() const { return position_; }
  // Stores the position; the caller repaints.
  void SetPosition(int32_t position) { position_ = position; }

  // The width of the blue part for a client width: its share of position in
  // total, truncated. Nothing is done while the total is 0.
  static int32_t FilledWidth(int32_t clientWidth, int32_t position, int32_t total);
  // The percentage shown, rounded; 0 while the total is 0.
  static int32_t Percent(int32_t position, int32_t total);
  QString Text() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int32_t total_;
  int32_t position_ = 0;
};
