// `orvane`: the desktop program's work without a window.
#include <CLI/CLI.hpp>

#include "cli/commands.h"
#include "support/prompter.h"

int main(int argc, char** argv) {
  // Messages go to stderr as "caption: text"; there is nobody to ask, so a
  // question is answered OK.
  StderrPrompter prompter(true);
  ScopedPrompter scope(prompter);

  CLI::App app{"orvane: Orvane FX wipe transitions from the command line"};
  app.require_subcommand(1);
  int status = 0;
  AddPatternsCommand(app, status);
  CLI11_PARSE(app, argc, argv);
  return status;
}
