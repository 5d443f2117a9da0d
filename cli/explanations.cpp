#include "cli/explanations.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "avi/avi_video_data.h"

namespace {

std::string Quoted(const std::string& text) {
  return "'" + text + "'";
}

// What a name that is not a regular file is, or empty for a regular file.
std::string KindOf(const struct stat& st) {
  if (S_ISREG(st.st_mode))
    return {};
  if (S_ISDIR(st.st_mode))
    return "a folder";
  if (S_ISFIFO(st.st_mode))
    return "a named pipe";
  if (S_ISCHR(st.st_mode) || S_ISBLK(st.st_mode))
    return "a device";
  if (S_ISSOCK(st.st_mode))
    return "a socket";
  return "not a regular file";
}

// Why a name that exists cannot be used for access (R_OK or W_OK).
std::string WhyNotUsable(const std::string& path, const struct stat& st, int access,
                         const char* notRegular, const char* denied) {
  const std::string kind = KindOf(st);
  if (!kind.empty())
    return Quoted(path) + " is " + kind + notRegular;
  if (::access(path.c_str(), access) != 0)
    return Quoted(path) + denied;
  return {};
}

std::string FolderOf(const std::string& path) {
  const std::string folder = std::filesystem::path(path).parent_path().string();
  return folder.empty() ? "." : folder;
}

std::string FourCCName(uint32_t code) {
  return code == 0 ? std::string("none") : Quoted(FourCCText(code));
}

}  // namespace

std::string WhyNotReadable(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) != 0)
    return Quoted(path) + " does not exist";
  return WhyNotUsable(path, st, R_OK, ", not a regular file", " may not be read");
}

std::string WhyNotWritable(const std::string& path) {
  struct stat st {};
  if (stat(path.c_str(), &st) == 0)
    return WhyNotUsable(path, st, W_OK, "; the output must be a regular file",
                        " may not be written");
  const std::string folder = FolderOf(path);
  if (stat(folder.c_str(), &st) != 0)
    return "the folder " + Quoted(folder) + " does not exist";
  if (!S_ISDIR(st.st_mode))
    return Quoted(folder) + " is not a folder";
  if (access(folder.c_str(), W_OK | X_OK) != 0)
    return "the folder " + Quoted(folder) + " may not be written";
  return {};
}

std::string WhyNotCardRecording(const AVIVideoData& file) {
  using Problem = AVIVideoData::Problem;
  const MainHeader& main = file.GetMainHeader();
  const StreamHeader& stream = file.GetStreamHeader();
  switch (file.GetProblem()) {
    case Problem::kNone:
      return {};
    case Problem::kCannotOpen:
      return WhyNotReadable(file.GetFileName());
    case Problem::kNotAvi:
      return Quoted(file.GetFileName()) + " is not an AVI file: it holds no RIFF 'AVI ' form";
    case Problem::kHeaders:
      return "its AVI headers cannot be read: hdrl, avih or a stream's strl is cut or malformed";
    case Problem::kNoVideoStream:
      return "none of its " + std::to_string(main.streams) +
             " declared streams is a video stream ('vids')";
    case Problem::kHandler: {
      std::string found = "its video stream's handler is " + FourCCName(stream.handler);
      if (file.GetFormatSize() >= static_cast<int32_t>(kBitmapInfoSize)) {
        const uint32_t compression = file.GetBitmapInfo().compression;
        found += compression == 0 ? " (uncompressed frames)"
                                  : " (frames " + FourCCName(compression) + ")";
      }
      return found + "; the card records 'ORVD' or 'ORVT' frames";
    }
    case Problem::kNoFrameRate:
      return "its video stream has no frame rate (rate " + std::to_string(stream.rate) +
             " over scale " + std::to_string(stream.scale) + ")";
    case Problem::kFrameCount:
      return "its main header counts " + std::to_string(main.totalFrames) +
             " frames, more than the file can hold";
    case Problem::kFrames:
      return "its index and its movi list do not hold the " + std::to_string(main.totalFrames) +
             " frames its main header counts";
  }
  return {};
}

void Explain(const char* command, const std::string& why) {
  if (!why.empty())
    std::fprintf(stderr, "%s: %s\n", command, why.c_str());
}
