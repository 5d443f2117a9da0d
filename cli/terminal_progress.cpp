#include "cli/terminal_progress.h"

#include <unistd.h>

#include <algorithm>

#include "cli/ending_signals.h"
#include "support/time_code.h"

namespace {

constexpr int32_t kBarCells = 30;

volatile std::sig_atomic_t interruptRequested = 0;

void OnInterrupt(int signal) {
  // A second Ctrl-C ends the program, as it would without the progress,
  // but without leaving a temporary output file behind.
  if (interruptRequested)
    EndBySignal(signal);
  interruptRequested = 1;
}

}  // namespace

TerminalProgress::TerminalProgress() : TerminalProgress(stderr, isatty(STDERR_FILENO) == 1) {}

TerminalProgress::TerminalProgress(std::FILE* out, bool draw) : out_(out), draw_(draw) {}

TerminalProgress::~TerminalProgress() {
  Close();
}

void TerminalProgress::Open(const std::string& caption, const std::string& /*fileName*/,
                            int32_t total, bool cancelAllowed) {
  Close();
  caption_ = caption;
  total_ = total;
  done_ = 0;
  cancelAllowed_ = cancelAllowed;
  interrupted_ = false;
  drawn_ = false;
  lastLine_.clear();
  open_ = true;
  if (cancelAllowed_) {
    interruptRequested = 0;
    struct sigaction action {};
    action.sa_handler = OnInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous_);
  }
  Draw();
}

bool TerminalProgress::Update(int32_t done) {
  done_ = done;
  if (open_)
    Draw();
  if (cancelAllowed_ && interruptRequested)
    interrupted_ = true;
  return !interrupted_;
}

void TerminalProgress::Close() {
  if (!open_)
    return;
  open_ = false;
  if (cancelAllowed_)
    sigaction(SIGINT, &previous_, nullptr);
  if (drawn_) {
    std::fputc('\n', out_);
    std::fflush(out_);
  }
}

std::string TerminalProgress::Line(const std::string& caption, int32_t done, int32_t total) {
  // Nothing to do counts as done.
  const int32_t whole = std::max(total, 1);
  const int32_t part = std::clamp(total > 0 ? done : 1, 0, whole);
  const int32_t cells = static_cast<int32_t>(static_cast<int64_t>(kBarCells) * part / whole);
  std::string line = caption + " [";
  line.append(static_cast<size_t>(cells), '#');
  line.append(static_cast<size_t>(kBarCells - cells), '.');
  char tail[48];
  std::snprintf(tail, sizeof tail, "] %3d%% %d/%d", MulDivRound(part, 100, whole),
                static_cast<int>(done), static_cast<int>(total));
  return line + tail;
}

void TerminalProgress::Draw() {
  if (!draw_)
    return;
  // Redrawn only when something visible changed: a terminal is slow.
  std::string line = Line(caption_, done_, total_);
  const size_t count = line.rfind(' ');
  if (drawn_ && lastLine_.compare(0, count, line, 0, count) == 0 && done_ != total_)
    return;
  lastLine_ = line;
  std::fprintf(out_, "\r%s", line.c_str());
  std::fflush(out_);
  drawn_ = true;
}
