#include "cli/ending_signals.h"

#include <signal.h>
#include <unistd.h>

#include "avi/temporary_files.h"

namespace {

// Every signal whose default action ends the process and that a user or
// the system sends; faults are left to their usual handling.
constexpr int kEndingSignals[] = {SIGHUP,  SIGINT,  SIGQUIT, SIGTERM, SIGPIPE,
                                  SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU, SIGVTALRM};

void OnEndingSignal(int signal) {
  EndBySignal(signal);
}

}  // namespace

void InstallEndingSignalHandlers() {
  for (const int signal : kEndingSignals) {
    struct sigaction now {};
    if (sigaction(signal, nullptr, &now) != 0 || now.sa_handler == SIG_IGN)
      continue;
    struct sigaction action {};
    action.sa_handler = OnEndingSignal;
    sigfillset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
  }
}

void EndBySignal(int signal) {
  RemoveTemporaryFiles();
  struct sigaction action {};
  action.sa_handler = SIG_DFL;
  sigemptyset(&action.sa_mask);
  sigaction(signal, &action, nullptr);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal);
  sigprocmask(SIG_UNBLOCK, &only, nullptr);
  raise(signal);
  // Not reached for a signal whose default ends the process.
  _exit(128 + signal);
}
