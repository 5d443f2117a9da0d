#pragma once

#include <string>
#include <vector>

// The one seam between the program's logic and the person in front of it:
// message boxes, the warning sound and the OK/Cancel question. The desktop
// program installs a Qt prompter, the command line a stderr one, and tests a
// recorder, so every report can be checked without a window.

// Message-box styles, as the reports pass them.
inline constexpr unsigned kMbOk = 0x00;
inline constexpr unsigned kMbOkCancel = 0x01;
inline constexpr unsigned kMbIconExclamation = 0x30;

class Prompter {
 public:
  virtual ~Prompter() = default;
  // The exclamation sound.
  virtual void Beep() = 0;
  // A modal message with one OK button; returns when it has been closed.
  virtual void ShowMessage(const std::string& text, const std::string& caption, unsigned style) = 0;
  // An OK/Cancel question; true when answered OK.
  virtual bool AskOkCancel(const std::string& text, const std::string& caption) = 0;
};

// The prompter in use; the stderr one until another is installed.
Prompter& CurrentPrompter();

// Installs a prompter (not owned) and returns the previous one; nullptr puts
// the stderr prompter back.
Prompter* SetPrompter(Prompter* prompter);

// Installs a prompter for one scope, restoring the previous one on exit.
class ScopedPrompter {
 public:
  explicit ScopedPrompter(Prompter& prompter) : previous_(SetPrompter(&prompter)) {}
  ~ScopedPrompter() { SetPrompter(previous_); }
  ScopedPrompter(const ScopedPrompter&) = delete;
  ScopedPrompter& operator=(const ScopedPrompter&) = delete;

 private:
  Prompter* previous_;
};

// Writes messages as "caption: text" to stderr; questions are answered by
// `answer` (a command line has nobody to ask).
class StderrPrompter : public Prompter {
 public:
  explicit StderrPrompter(bool answer = true) : answer_(answer) {}
  void Beep() override {}
  void ShowMessage(const std::string& text, const std::string& caption, unsigned style) override;
  bool AskOkCancel(const std::string& text, const std::string& caption) override;

 private:
  bool answer_;
};

// Keeps everything it is told, for tests; questions are answered from a
// queue of answers (OK when the queue is empty).
class RecordingPrompter : public Prompter {
 public:
  struct Message {
    std::string text;
    std::string caption;
    unsigned style = 0;
  };
  struct Question {
    std::string text;
    std::string caption;
  };

  void Beep() override { ++beeps; }
  void ShowMessage(const std::string& text, const std::string& caption, unsigned style) override {
    messages.push_back({text, caption, style});
  }
  bool AskOkCancel(const std::string& text, const std::string& caption) override;

  int beeps = 0;
  std::vector<Message> messages;
  std::vector<Question> questions;
  std::vector<bool> answers;  // consumed front to back
};
