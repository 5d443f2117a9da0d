#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

class QSocketNotifier;

// A desktop session ends its programs with SIGTERM (and a terminal with
// SIGINT or SIGHUP). While one of these objects lives, such a signal closes
// its window as the close box would, so a running playback stops and the
// card is closed before the program ends with status 0. The signal handler
// only writes to a pipe; the window is closed from the event loop.
class CloseOnSignals : public QObject {
  Q_OBJECT

 public:
  explicit CloseOnSignals(QWidget* window);
  ~CloseOnSignals() override;
  CloseOnSignals(const CloseOnSignals&) = delete;
  CloseOnSignals& operator=(const CloseOnSignals&) = delete;

  // False when the pipe or the handlers could not be set up: the signals
  // then end the program as they would without this object.
  bool Active() const { return notifier_ != nullptr; }

 private:
  void Arrived();

  QPointer<QWidget> window_;
  QSocketNotifier* notifier_ = nullptr;  // owned through Qt parenting
  int pipe_[2] = {-1, -1};
};
