#include "render/output_kind.h"

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <cctype>

namespace {

std::string LowerExtension(const std::string& path) {
  const size_t slash = path.rfind('/');
  const size_t dot = path.rfind('.');
  if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
    return {};
  std::string extension = path.substr(dot + 1);
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return extension;
}

}  // namespace

OutputKind OutputKindOf(const std::string& path) {
  const std::string extension = LowerExtension(path);
  // The library's own test of a numbered name, so that what it accepts is
  // what its picture muxer then writes. A number in the name of anything
  // but pictures is taken for a mistake.
  if (av_filename_number_test(path.c_str()) != 0)
    return extension == "png" ? OutputKind::kPngSequence : OutputKind::kUnknown;
  if (extension == "mkv")
    return OutputKind::kMatroska;
  if (extension == "avi")
    return OutputKind::kAvi;
  if (extension == "mov")
    return OutputKind::kQuickTime;
  if (extension == "mp4")
    return OutputKind::kMp4;
  return OutputKind::kUnknown;
}

std::string NumberedSequenceName(const std::string& path) {
  if (LowerExtension(path) != "png" || av_filename_number_test(path.c_str()) != 0)
    return path;
  const size_t dot = path.rfind('.');
  return path.substr(0, dot) + "-%04d" + path.substr(dot);
}

const char* MuxerName(OutputKind kind) {
  switch (kind) {
    case OutputKind::kMatroska:
      return "matroska";
    case OutputKind::kAvi:
      return "avi";
    case OutputKind::kQuickTime:
      return "mov";
    case OutputKind::kMp4:
      return "mp4";
    case OutputKind::kPngSequence:
      return "image2";
    case OutputKind::kUnknown:
      break;
  }
  return nullptr;
}
