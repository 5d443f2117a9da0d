#pragma once

#include <QDir>
#include <QString>
#include <QWidget>
#include <cstdlib>

// When ORVANE_SCREENSHOTS is set, writes what the widget shows as
// <ORVANE_TEST_OUT>/screenshots/<name>.png so a person can look at what a
// test saw. Returns the file written, or an empty string.
inline QString SaveScreenshot(QWidget& widget, const QString& name) {
  if (!std::getenv("ORVANE_SCREENSHOTS"))
    return {};
  const char* out = std::getenv("ORVANE_TEST_OUT");
  const QString dir = QString::fromLocal8Bit(out ? out : ".") + QStringLiteral("/screenshots");
  QDir().mkpath(dir);
  const QString path = dir + QLatin1Char('/') + name + QStringLiteral(".png");
  return widget.grab().save(path, "PNG") ? path : QString();
}
