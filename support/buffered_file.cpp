#include "support/buffered_file.h"

#include <sys/stat.h>

bool BufferedFile::Open(const std::string& path) {
  Close();
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f)
    return false;
  file_.reset(f);
  struct stat st {};
  // A folder opens on some systems; it is not a file to read.
  if (fstat(fileno(f), &st) != 0 || !S_ISREG(st.st_mode)) {
    Close();
    return false;
  }
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
