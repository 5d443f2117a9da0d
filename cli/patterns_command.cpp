#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/frame_size.h"
#include "cli/video_standard.h"
#include "support/error_codes.h"
#include "support/report_error.h"
#include "wipe/builtin_patterns.h"
#include "wipe/targa_writer.h"

namespace {

struct PatternsOptions {
  std::string folder;
  // As `transition` defaults to, so a pattern made here reaches the card
  // unresampled: area averaging would squeeze the dissolve's levels.
  std::string standard = "ntsc";
  std::string size;  // empty: the standard's frame size
  bool list = false;
};

int RunPatterns(const PatternsOptions& options) {
  if (options.list) {
    for (const auto& p : BuiltinPatterns())
      std::printf("%-28s %s\n", p.name, p.description);
    return 0;
  }
  VideoStandard standard = kNtsc;
  if (!ParseVideoStandard(options.standard, standard)) {
    std::fprintf(stderr, "patterns: --standard is ntsc or pal, not '%s'\n",
                 options.standard.c_str());
    return 2;
  }
  int32_t width = standard.width, height = standard.height;
  if (!options.size.empty() && !ParseFrameSize(options.size, width, height)) {
    std::fprintf(stderr, "patterns: --size wants WIDTHxHEIGHT (1..65535 each), not '%s'\n",
                 options.size.c_str());
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(options.folder, ec);
  if (ec) {
    ReportError(kErrCannotWrite, "Write Pattern", options.folder);
    return 1;
  }
  for (const auto& p : BuiltinPatterns()) {
    GreyImage image;
    if (!RenderBuiltinPattern(p.name, width, height, image)) {
      ReportErrorPlain(kErrNoMemory, "Write Pattern");
      return 1;
    }
    const std::string path =
        (std::filesystem::path(options.folder) / (std::string(p.name) + ".tga")).string();
    const int32_t code = WriteTargaGrey(path, image, 24);
    if (code != kOk) {
      ReportError(code, "Write Pattern", path);
      return 1;
    }
    std::printf("%s\n", path.c_str());
  }
  return 0;
}

}  // namespace

void AddPatternsCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<PatternsOptions>();
  CLI::App* sub = app.add_subcommand(
      "patterns", "Write the built-in wipe patterns as 24-bit TARGA files into a folder");
  sub->add_option("folder", options->folder, "Folder to write into (made if missing)");
  CLI::Option* standard =
      sub->add_option("--standard", options->standard,
                      "Make the patterns at this standard's frame size: ntsc (640x480) or pal "
                      "(768x576)")
          ->capture_default_str();
  sub->add_option("--size", options->size,
                  "Make the patterns at WIDTHxHEIGHT instead of the standard's frame size")
      ->excludes(standard);
  sub->add_flag("--list", options->list, "Only list the patterns");
  sub->callback([options, &status] {
    if (!options->list && options->folder.empty()) {
      throw CLI::RequiredError("folder");
    }
    status = RunPatterns(*options);
  });
}
