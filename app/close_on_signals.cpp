#include "app/close_on_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <csignal>

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The handler can reach nothing but a global: the write end of the pipe of
// the one object that is active.
volatile sig_atomic_t signalPipe = -1;

void OnSignal(int signal) {
  const int fd = signalPipe;
  if (fd < 0)
    return;
  const char byte = static_cast<char>(signal);
  // A full pipe already holds a wake-up, which is all this is.
  [[maybe_unused]] const ssize_t written = write(fd, &byte, 1);
}

}  // namespace

CloseOnSignals::CloseOnSignals(QWidget* window) : window_(window) {
  if (signalPipe >= 0 || pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0)
    return;
  signalPipe = pipe_[1];
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) {
    struct sigaction previous {};
    sigaction(signal, nullptr, &previous);
    // One ignored when the program starts (nohup) stays ignored.
    if (previous.sa_handler != SIG_IGN)
      sigaction(signal, &action, nullptr);
  }
  notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &CloseOnSignals::Arrived);
}

CloseOnSignals::~CloseOnSignals() {
  if (notifier_ != nullptr) {
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    for (int signal : kSignals) {
      struct sigaction current {};
      sigaction(signal, nullptr, &current);
      if (current.sa_handler == OnSignal)
        sigaction(signal, &fallback, nullptr);
    }
    signalPipe = -1;
  }
  for (int fd : pipe_) {
    if (fd >= 0)
      close(fd);
  }
}

void CloseOnSignals::Arrived() {
  char bytes[16];
  while (read(pipe_[0], bytes, sizeof bytes) > 0) {
  }
  if (window_)
    window_->close();
}
