#pragma once

#include "support/prompter.h"

// The desktop program's prompter: the system's warning sound and modal
// message boxes owned by the window that is active at that moment.
class QtPrompter : public Prompter {
 public:
  void Beep() override;
  void ShowMessage(const std::string& text, const std::string& caption, unsigned style) override;
  bool AskOkCancel(const std::string& text, const std::string& caption) override;
};
