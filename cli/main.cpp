// `orvane`: the desktop program's work without a window.
#include <CLI/CLI.hpp>

#include <csignal>

#include "cli/commands.h"
#include "cli/ending_signals.h"
#include "support/prompter.h"

int main(int argc, char** argv) {
  // Past a file-size limit the kernel would kill us in the middle of a
  // write, leaving the temporary output behind; ignored, the write fails
  // with EFBIG and the export reports it and cleans up.
  std::signal(SIGXFSZ, SIG_IGN);
  InstallEndingSignalHandlers();

  // Messages go to stderr as "caption: text"; there is nobody to ask, so a
  // question is answered OK.
  StderrPrompter prompter(true);
  ScopedPrompter scope(prompter);

  CLI::App app{"orvane: Orvane FX wipe transitions from the command line"};
  app.require_subcommand(1);
  int status = 0;
  AddPatternsCommand(app, status);
  AddTransitionCommand(app, status);
  AddMasksCommand(app, status);
  AddInspectCommand(app, status);
  AddMakeSourceCommand(app, status);
  AddRenderCommand(app, status);
  CLI11_PARSE(app, argc, argv);
  return status;
}
