#pragma once

#include <string>
#include <vector>

// What orvane-fx is asked to do by its command line. Without arguments it
// starts as it always has; a file manager's "Open with" adds one picture.
struct FxCommandLine {
  enum class Action { Run, Help, Version, Refuse };
  Action action = Action::Run;
  std::string picture;  // Run: the TARGA file to open as the pattern; may be empty
  std::string problem;  // Refuse: what is wrong, for the user
};

// Reads the arguments after the program's name. Help and Version win
// wherever they stand, so that they answer even before the window system
// has taken its own options (-platform, -style, ...) out; anything else
// that looks like an option is refused, as is a second picture. "--" ends
// the options.
FxCommandLine ParseFxCommandLine(const std::vector<std::string>& args);

// The texts --help and --version print.
std::string FxUsageText();
std::string FxVersionText();
