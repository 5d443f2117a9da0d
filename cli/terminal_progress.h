#pragma once

#include <csignal>
#include <cstdint>
#include <cstdio>
#include <string>

#include "avi/export_progress.h"

// Progress of a long command on a terminal: one line on stderr with a bar,
// the percentage and the count, redrawn in place, and only when stderr is a
// terminal (a log or a pipe gets no bar). While it is open, Ctrl-C asks the
// work to stop instead of killing the process, so the output is closed
// properly; a second Ctrl-C ends the program (see EndBySignal).
class TerminalProgress : public ExportProgress {
 public:
  // Draws on stderr when it is a terminal.
  TerminalProgress();
  // Draws on out when draw is true; for tests.
  TerminalProgress(std::FILE* out, bool draw);
  ~TerminalProgress() override;
  TerminalProgress(const TerminalProgress&) = delete;
  TerminalProgress& operator=(const TerminalProgress&) = delete;

  void Open(const std::string& caption, const std::string& fileName, int32_t total,
            bool cancelAllowed) override;
  bool Update(int32_t done) override;
  void Close() override;

  // The last count reported, and whether Ctrl-C stopped the work.
  int32_t Done() const { return done_; }
  int32_t Total() const { return total_; }
  bool Interrupted() const { return interrupted_; }

  // The line for done of total, without the leading carriage return.
  static std::string Line(const std::string& caption, int32_t done, int32_t total);

 private:
  void Draw();

  std::FILE* out_;
  bool draw_;
  bool open_ = false;
  bool cancelAllowed_ = false;
  bool interrupted_ = false;
  bool drawn_ = false;
  std::string caption_;
  int32_t total_ = 0;
  int32_t done_ = 0;
  std::string lastLine_;
  struct sigaction previous_ {};
};
