#include "support/prompter.h"

#include <atomic>
#include <cstdio>

namespace {

StderrPrompter& DefaultPrompter() {
  static StderrPrompter prompter;
  return prompter;
}

std::atomic<Prompter*> installed{nullptr};

}  // namespace

Prompter& CurrentPrompter() {
  Prompter* p = installed.load(std::memory_order_acquire);
  return p ? *p : DefaultPrompter();
}

Prompter* SetPrompter(Prompter* prompter) {
  return installed.exchange(prompter, std::memory_order_acq_rel);
}

void StderrPrompter::ShowMessage(const std::string& text, const std::string& caption,
                                 unsigned /*style*/) {
  std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.c_str());
}

bool StderrPrompter::AskOkCancel(const std::string& text, const std::string& caption) {
  std::fprintf(stderr, "%s: %s [%s]\n", caption.c_str(), text.c_str(), answer_ ? "OK" : "Cancel");
  return answer_;
}

bool RecordingPrompter::AskOkCancel(const std::string& text, const std::string& caption) {
  questions.push_back({text, caption});
  const size_t asked = questions.size();
  return asked <= answers.size() ? answers[asked - 1] : true;
}
