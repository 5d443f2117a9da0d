#include "avi/replacing_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "avi/temporary_files.h"
#include "support/error_codes.h"

namespace {

// As the kernel's own limit on links followed in one lookup.
constexpr int kMaxLinkHops = 40;
constexpr size_t kStreamBuffer = 256 * 1024;

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

// The file that path names once the symbolic links at its end are followed,
// whether it exists or not: a dangling link names the file it points at.
// False for a loop.
bool FollowLinks(const std::string& path, std::string& file) {
  file = path;
  for (int hops = 0; hops <= kMaxLinkHops; ++hops) {
    struct stat st {};
    if (lstat(file.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
      return true;
    std::error_code ec;
    const std::string points = std::filesystem::read_symlink(file, ec).string();
    if (ec || points.empty())
      return false;
    file = points.front() == '/' ? points : FolderOf(file) + "/" + points;
  }
  return false;
}

// A sticky folder lets only the owner of a file (or of the folder) rename
// over it, though anyone may create files beside it.
bool StickyFolderRefusesRename(const std::string& folder, const struct stat& file) {
  struct stat st {};
  if (stat(folder.c_str(), &st) != 0 || (st.st_mode & S_ISVTX) == 0)
    return false;
  const uid_t me = geteuid();
  return me != 0 && me != file.st_uid && me != st.st_uid;
}

// A file that exists and may be written, but could not be renamed over.
bool RenameRefused(const std::string& file, const struct stat& st) {
  const std::string folder = FolderOf(file);
  return access(folder.c_str(), W_OK | X_OK) != 0 || StickyFolderRefusesRename(folder, st);
}

}  // namespace

bool ReplacingFile::WouldWriteInPlace(const std::string& target) {
  std::string file;
  struct stat st {};
  return FollowLinks(target, file) && stat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
         access(file.c_str(), W_OK) == 0 && RenameRefused(file, st);
}

int32_t ReplacingFile::Create(const std::string& target) {
  Abandon();
  if (target.empty() || target.back() == '/')
    return kErrNoFile;
  std::string file;
  if (!FollowLinks(target, file))
    return kErrNoFile;

  struct stat st {};
  const bool exists = stat(file.c_str(), &st) == 0;
  if (exists && (!S_ISREG(st.st_mode) || access(file.c_str(), W_OK) != 0))
    return kErrNoFile;
  if (exists && RenameRefused(file, st))
    return OpenInPlace(file);
  const std::string folder = FolderOf(file);

  // Hidden, and in the same folder so the final rename cannot cross devices.
  const std::string pattern = folder + "/." + NameOf(file) + ".XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // No signal may end the process between creating the file and noting it.
  sigset_t all, previous;
  sigfillset(&all);
  pthread_sigmask(SIG_BLOCK, &all, &previous);
  const int fd = mkstemp(name.data());
  if (fd >= 0) {
    temporary_.assign(name.data());
    noted_ = NoteTemporaryFile(temporary_);
  }
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  if (fd < 0)
    return kErrNoFile;
  // Overwriting keeps what a truncated file would keep. Best effort: only
  // the superuser may give a file away (a group of ours may still be kept),
  // and a folder may refuse the mode.
  if (exists) {
    const bool owned =
        fchown(fd, st.st_uid, st.st_gid) == 0 || fchown(fd, static_cast<uid_t>(-1), st.st_gid) == 0;
    static_cast<void>(owned);
    fchmod(fd, st.st_mode & 0777);
  } else {
    fchmod(fd, DefaultMode());
  }
  stream_.reset(fdopen(fd, "wb"));
  if (!stream_) {
    close(fd);
    RemoveTemporary();
    return kErrNoFile;
  }
  std::setvbuf(stream_.get(), nullptr, _IOFBF, kStreamBuffer);
  target_ = file;
  return kOk;
}

int32_t ReplacingFile::OpenInPlace(const std::string& file) {
  // Not blocking, and checked again once open: the name may have become a
  // pipe since it was looked at.
  const int fd = open(file.c_str(), O_WRONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return kErrNoFile;
  struct stat st {};
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0 || ftruncate(fd, 0) != 0) {
    close(fd);
    return kErrNoFile;
  }
  stream_.reset(fdopen(fd, "wb"));
  if (!stream_) {
    close(fd);
    return kErrNoFile;
  }
  std::setvbuf(stream_.get(), nullptr, _IOFBF, kStreamBuffer);
  target_ = file;
  inPlace_ = true;
  return kOk;
}

void ReplacingFile::StartWriteBack() const {
#if defined(__linux__)
  if (stream_)
    sync_file_range(fileno(stream_.get()), 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
}

int32_t ReplacingFile::Commit() {
  if (!stream_)
    return kErrCannotWrite;
  bool ok = std::fflush(stream_.get()) == 0;
  ok = ok && fsync(fileno(stream_.get())) == 0;
  ok = CloseChecked(stream_) && ok;
  if (inPlace_) {
    inPlace_ = false;
    return ok ? kOk : kErrCannotWrite;
  }
  ok = ok && std::rename(temporary_.c_str(), target_.c_str()) == 0;
  if (!ok) {
    RemoveTemporary();
    return kErrCannotWrite;
  }
  ForgetTemporaryFile(noted_);
  noted_ = -1;
  temporary_.clear();
  return kOk;
}

void ReplacingFile::Abandon() {
  stream_.reset();
  inPlace_ = false;
  RemoveTemporary();
}

void ReplacingFile::RemoveTemporary() {
  if (!temporary_.empty()) {
    unlink(temporary_.c_str());
    temporary_.clear();
  }
  ForgetTemporaryFile(noted_);
  noted_ = -1;
}
