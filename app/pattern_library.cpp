#include "app/pattern_library.h"

#include <filesystem>
#include <system_error>

#include "support/time_code.h"

namespace {

// Relative to the program's folder, set by the install rules. The installed
// folder comes first: an installed program never looks into a build tree
// that happens to lie beside it.
constexpr const char* kLibraryFolders[] = {
#ifdef ORVANE_INSTALLED_PATTERN_DIR
    ORVANE_INSTALLED_PATTERN_DIR,
#endif
#ifdef ORVANE_BUILD_PATTERN_DIR
    ORVANE_BUILD_PATTERN_DIR,
#endif
    nullptr,
};

}  // namespace

std::string PatternLibraryFolder(const std::string& programFolder, float frameRate) {
  if (programFolder.empty())
    return {};
  const char* standard = frameRate == kPalFrameRate ? "pal" : "ntsc";
  for (const char* relative : kLibraryFolders) {
    if (!relative)
      break;
    std::error_code ec;
    const std::filesystem::path folder = std::filesystem::weakly_canonical(
        std::filesystem::path(programFolder) / relative / standard, ec);
    if (!ec && std::filesystem::is_directory(folder, ec))
      return folder.string();
  }
  return {};
}
