#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "support/stdio_file.h"

// A file opened read-only with a read buffer: the one reader every parser of
// outside bytes (patterns, masks, AVI files) goes through. 64-bit offsets.
class BufferedFile {
 public:
  BufferedFile() = default;
  BufferedFile(const BufferedFile&) = delete;
  BufferedFile& operator=(const BufferedFile&) = delete;
  BufferedFile(BufferedFile&&) noexcept = default;
  BufferedFile& operator=(BufferedFile&&) noexcept = default;

  // Opens path for reading; false when it cannot be opened or is not a
  // regular file (a folder, a named pipe, a device: refused at once, never
  // waited on). The caller picks the code: "Can not open" for a pattern,
  // "No file" for an AVI source.
  bool Open(const std::string& path);
  void Close();
  bool IsOpen() const { return file_ != nullptr; }
  const std::string& Path() const { return path_; }

  // Reads up to size bytes; the count actually read (short at the end of the
  // file or on a read error).
  size_t Read(void* destination, size_t size);
  // True when exactly size bytes were read.
  bool ReadExact(void* destination, size_t size) { return Read(destination, size) == size; }
  bool Seek(uint64_t offset);
  uint64_t Tell() const;
  // The file's size when it was opened.
  uint64_t Size() const { return size_; }

 private:
  StdioFile file_;
  std::string path_;
  uint64_t size_ = 0;
};
