#include "app/command_line.h"

#ifndef ORVANE_VERSION
#define ORVANE_VERSION "unknown"
#endif

FxCommandLine ParseFxCommandLine(const std::vector<std::string>& args) {
  FxCommandLine line;
  std::vector<std::string> pictures;
  bool optionsEnded = false;
  for (const std::string& arg : args) {
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
      return {FxCommandLine::Action::Help, {}, {}};
    } else if (!optionsEnded && arg == "--version") {
      return {FxCommandLine::Action::Version, {}, {}};
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      if (line.problem.empty())
        line.problem = "unknown option '" + arg + "'";
    } else {
      pictures.push_back(arg);
    }
  }
  if (line.problem.empty() && pictures.size() > 1)
    line.problem = "one picture at a time, not " + std::to_string(pictures.size());
  if (!line.problem.empty()) {
    line.action = FxCommandLine::Action::Refuse;
    return line;
  }
  if (!pictures.empty())
    line.picture = pictures.front();
  return line;
}

std::string FxUsageText() {
  return "Usage: orvane-fx [OPTION]... [FILE]\n"
         "Design soft-edged wipe transitions for the Orvane video mixer card.\n"
         "\n"
         "FILE, a picture (TARGA, PNG, PGM, PPM, BMP, JPEG, TIFF, WebP), is opened\n"
         "as the wipe pattern, as the Image button opens one.\n"
         "\n"
         "  -h, --help     show this help and exit\n"
         "      --version  show the version and exit\n"
         "\n"
         "Qt's own options, such as -platform NAME, are understood too.\n"
         "The card's library is the one named by ORVINTER_LIBRARY when that is\n"
         "set, else the card driver's liborvinter.so, else the simulated card\n"
         "that comes with the program. See orvane-fx(1).\n";
}

std::string FxVersionText() {
  return "orvane-fx (Orvane FX) " ORVANE_VERSION "\n";
}
