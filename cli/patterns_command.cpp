#include <cstdio>
#include <filesystem>
#include <string>

#include "cli/commands.h"
#include "cli/frame_size.h"
#include "support/error_codes.h"
#include "support/report_error.h"
#include "wipe/builtin_patterns.h"
#include "wipe/targa_writer.h"

namespace {

struct PatternsOptions {
  std::string folder;
  std::string size = "768x576";
  bool list = false;
};

int RunPatterns(const PatternsOptions& options) {
  if (options.list) {
    for (const auto& p : BuiltinPatterns())
      std::printf("%-28s %s\n", p.name, p.description);
    return 0;
  }
  int32_t width = 0, height = 0;
  if (!ParseFrameSize(options.size, width, height)) {
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
  sub->add_option("--size", options->size, "Picture size WIDTHxHEIGHT")->capture_default_str();
  sub->add_flag("--list", options->list, "Only list the patterns");
  sub->callback([options, &status] {
    if (!options->list && options->folder.empty()) {
      throw CLI::RequiredError("folder");
    }
    status = RunPatterns(*options);
  });
}
