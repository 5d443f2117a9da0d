#pragma once

#include <QObject>
#include <QPointer>

class QWidget;

// Holds a window still while an export runs in its thread. The export lets
// the program's pending events through after every frame so that its
// progress dialog stays painted and can be cancelled; the window must take
// no input meanwhile (keys, shortcuts, mouse, wheel, drops), or a command
// could run inside the export and change what it reads. Everything else (its
// painting, timers, a close request) still reaches it.
class ExportInputGuard : public QObject {
 public:
  explicit ExportInputGuard(QWidget* window);
  ~ExportInputGuard() override;
  ExportInputGuard(const ExportInputGuard&) = delete;
  ExportInputGuard& operator=(const ExportInputGuard&) = delete;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool Guards(QObject* receiver) const;

  QPointer<QWidget> window_;
};
