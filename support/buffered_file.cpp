#include "support/buffered_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

bool BufferedFile::Open(const std::string& path) {
  Close();
  // Opening a named pipe would wait for a writer, a device may do anything:
  // only a regular file is opened, and without waiting, so a name that
  // turns into a pipe meanwhile cannot block either.
  struct stat st {};
  if (stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
    return false;
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0)
    return false;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return false;
  }
  std::FILE* f = fdopen(fd, "rb");
  if (!f) {
    close(fd);
    return false;
  }
  file_.reset(f);
  std::setvbuf(f, nullptr, _IOFBF, 64 * 1024);
  size_ = static_cast<uint64_t>(st.st_size);
  path_ = path;
  return true;
}

void BufferedFile::Close() {
  file_.reset();
  path_.clear();
  size_ = 0;
}

size_t BufferedFile::Read(void* destination, size_t size) {
  if (!file_ || size == 0)
    return 0;
  return std::fread(destination, 1, size, file_.get());
}

bool BufferedFile::Seek(uint64_t offset) {
  if (!file_ || offset > static_cast<uint64_t>(INT64_MAX))
    return false;
  return fseeko(file_.get(), static_cast<off_t>(offset), SEEK_SET) == 0;
}

uint64_t BufferedFile::Tell() const {
  if (!file_)
    return 0;
  const off_t at = ftello(file_.get());
  return at < 0 ? 0 : static_cast<uint64_t>(at);
}
