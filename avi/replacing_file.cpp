#include "avi/replacing_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "support/error_codes.h"

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos)
    return ".";
  if (slash == 0)
    return "/";
  return path.substr(0, slash);
}

std::string NameOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The permission bits a plainly created file would get.
mode_t DefaultMode() {
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

int32_t ReplacingFile::Create(const std::string& target) {
  Abandon();
  if (target.empty() || target.back() == '/')
    return kErrNoFile;

  // A link is followed, so the file it names is replaced and the link stays.
  std::string resolved = target;
  struct stat st {};
  if (lstat(target.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
    if (char* real = realpath(target.c_str(), nullptr)) {
      resolved = real;
      std::free(real);
    }
  }

  // Overwriting keeps the old file's permissions, as truncating it would.
  mode_t mode = DefaultMode();
  if (stat(resolved.c_str(), &st) == 0) {
    if (!S_ISREG(st.st_mode) || access(resolved.c_str(), W_OK) != 0)
      return kErrNoFile;
    mode = st.st_mode & 0777;
  }

  // Hidden, and in the same folder so the final rename cannot cross devices.
  std::string pattern = FolderOf(resolved) + "/." + NameOf(resolved) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  const int fd = mkstemp(name.data());
  if (fd < 0)
    return kErrNoFile;
  temporary_.assign(name.data());
  // Best effort: a folder that refuses the mode still takes the file.
  fchmod(fd, mode);
  stream_ = fdopen(fd, "wb");
  if (!stream_) {
    close(fd);
    unlink(temporary_.c_str());
    temporary_.clear();
    return kErrNoFile;
  }
  std::setvbuf(stream_, nullptr, _IOFBF, 256 * 1024);
  target_ = resolved;
  return kOk;
}

int32_t ReplacingFile::Commit() {
  if (!stream_)
    return kErrCannotWrite;
  bool ok = std::fflush(stream_) == 0;
  ok = ok && fsync(fileno(stream_)) == 0;
  ok = std::fclose(stream_) == 0 && ok;
  stream_ = nullptr;
  ok = ok && std::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    unlink(temporary_.c_str());
    temporary_.clear();
    return kErrCannotWrite;
  }
  temporary_.clear();
  return kOk;
}

void ReplacingFile::Abandon() {
  if (stream_) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
}
