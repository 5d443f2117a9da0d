#include <cstdio>
#include <filesystem>
#include <string>

#include "avi/replacing_file.h"
#include "cli/commands.h"
#include "cli/explanations.h"
#include "cli/frame_size.h"
#include "cli/luma_map_file.h"
#include "cli/video_standard.h"
#include "support/error_codes.h"
#include "support/report_error.h"
#include "wipe/builtin_patterns.h"

namespace {

constexpr const char* kCommand = "patterns";
constexpr const char* kCaption = "Write Pattern";

struct PatternsOptions {
  std::string folder;
  // As `transition` defaults to, so a pattern made here reaches the card
  // unresampled: area averaging would squeeze the dissolve's levels.
  std::string standard = "ntsc";
  std::string size;  // empty: the standard's frame size
  std::string format = "tga";
  int32_t depth = 8;
  bool list = false;
};

// Says what failed and what became of the file at path, which existed
// before the write when existed is true.
void ReportWriteFailure(int32_t code, const std::string& path, bool existed) {
  if (code == kErrNoMemory) {
    ReportErrorPlain(kErrNoMemory, kCaption);
    return;
  }
  ReportError(kErrCannotWrite, kCaption, path);
  Explain(kCommand, WhyNotWritable(path));
  const std::string quoted = "'" + path + "'";
  if (!existed)
    Explain(kCommand, "nothing was written to " + quoted);
  else if (ReplacingFile::WouldWriteInPlace(path))
    Explain(kCommand, quoted + " was written in place, as its folder may not be written, and " +
                          "is left incomplete");
  else
    Explain(kCommand, quoted + " is as it was before");
}

// Renders the named pattern at the depth of Image and writes it; false once
// the failure is reported.
template <typename Image>
bool WritePattern(const char* name, int32_t width, int32_t height, LumaMapFormat format,
                  const std::string& path) {
  Image image;
  if (!RenderBuiltinPattern(name, width, height, image)) {
    ReportErrorPlain(kErrNoMemory, kCaption);
    return false;
  }
  std::error_code ec;
  const bool existed = std::filesystem::exists(path, ec);
  const int32_t code = WriteLumaMap(path, format, image);
  if (code != kOk) {
    ReportWriteFailure(code, path, existed);
    return false;
  }
  return true;
}

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
  LumaMapFormat format = LumaMapFormat::kTarga;
  if (!ParseLumaMapFormat(options.format, format)) {
    std::fprintf(stderr, "patterns: --format is tga, png or pgm, not '%s'\n",
                 options.format.c_str());
    return 2;
  }
  if (options.depth != 8 && options.depth != 16) {
    std::fprintf(stderr, "patterns: --depth is 8 or 16, not %d\n", static_cast<int>(options.depth));
    return 2;
  }
  if (!LumaMapHoldsDepth(format, options.depth)) {
    std::fprintf(stderr,
                 "patterns: a TARGA pattern holds 8 bits a pixel; for 16 bits choose --format "
                 "png or pgm\n");
    return 2;
  }
  std::error_code ec;
  std::filesystem::create_directories(options.folder, ec);
  if (ec) {
    ReportError(kErrCannotWrite, kCaption, options.folder);
    return 1;
  }
  for (const auto& p : BuiltinPatterns()) {
    const std::string path =
        (std::filesystem::path(options.folder) / (p.name + std::string(LumaMapExtension(format))))
            .string();
    const bool written = options.depth == 16
                             ? WritePattern<GreyImage16>(p.name, width, height, format, path)
                             : WritePattern<GreyImage>(p.name, width, height, format, path);
    if (!written)
      return 1;
    std::printf("%s\n", path.c_str());
  }
  return 0;
}

}  // namespace

void AddPatternsCommand(CLI::App& app, int& status) {
  auto options = std::make_shared<PatternsOptions>();
  CLI::App* sub = app.add_subcommand(
      "patterns",
      "Write the built-in wipe patterns into a folder as luma maps: TARGA, or grey PNG or PGM "
      "of 8 or 16 bits for other editors");
  sub->add_option("folder", options->folder, "Folder to write into (made if missing)");
  CLI::Option* standard =
      sub->add_option("--standard", options->standard,
                      "Make the patterns at this standard's frame size: ntsc (640x480) or pal "
                      "(768x576)")
          ->capture_default_str();
  sub->add_option("--size", options->size,
                  "Make the patterns at WIDTHxHEIGHT instead of the standard's frame size")
      ->excludes(standard);
  sub->add_option("--format", options->format,
                  "File format: tga (24-bit TARGA, grey in every channel), png (grey PNG) or pgm "
                  "(binary PGM, samples high byte first)")
      ->capture_default_str();
  sub->add_option("--depth", options->depth,
                  "Bits a sample, 8 or 16; 16 needs png or pgm. A 16-bit map is cut from the "
                  "pattern's shape at 65536 levels, so a soft edge shows no steps")
      ->capture_default_str();
  sub->add_flag("--list", options->list, "Only list the patterns");
  sub->callback([options, &status] {
    if (!options->list && options->folder.empty()) {
      throw CLI::RequiredError("folder");
    }
    status = RunPatterns(*options);
  });
}
