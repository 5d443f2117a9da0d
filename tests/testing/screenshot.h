#pragma once

#include <QDir>
#include <QImage>
#include <QString>
#include <QWidget>
#include <cstdlib>

// When ORVANE_SCREENSHOTS is set, writes what the widget shows as
// <ORVANE_TEST_OUT>/screenshots/<name>.png so a person can look at what a
// test saw. Returns the file written, or an empty string.
// The same for a picture taken some other way, such as from the screen.
inline QString SaveScreenshot(const QImage& image, const QString& name) {
  if (!std::getenv("ORVANE_SCREENSHOTS"))
    return {};
  const char* out = std::getenv("ORVANE_TEST_OUT");
  const QString dir = QString::fromLocal8Bit(out ? out : ".") + QStringLiteral("/screenshots");
  QDir().mkpath(dir);
  const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
  return image.save(path, "PNG") ? path : QString();
}

inline QString SaveScreenshot(QWidget& widget, const QString& name) {
  if (!std::getenv("ORVANE_SCREENSHOTS"))
    return {};
  return SaveScreenshot(widget.grab().toImage(), name);
}
