#pragma once

// The readers under test take a file name, so each input is written to a
// file of this process first. A memory file system is preferred: on a disk
// file system, rewriting a truncated file forces it out to the disk on every
// close, and the fuzzer would spend its time waiting for that.

#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/stdio_file.h"

class FuzzInputFile {
 public:
  explicit FuzzInputFile(const char* name) {
    std::string folder = "/dev/shm";
    if (access(folder.c_str(), W_OK) != 0) {
      const char* tmp = std::getenv("TMPDIR");
      folder = tmp && *tmp ? tmp : "/tmp";
    }
    path_ = folder + "/orvane_fuzz_" + std::to_string(getpid()) + "_" + name;
  }
  FuzzInputFile(const FuzzInputFile&) = delete;
  FuzzInputFile& operator=(const FuzzInputFile&) = delete;
  ~FuzzInputFile() { Remove(); }

  const std::string& Path() const { return path_; }
  // Once the reader has opened it, the name can go: the open file lives on,
  // and nothing is left behind when the fuzzer ends without unwinding.
  void Remove() const { unlink(path_.c_str()); }

  // Replaces the file's contents with the input; false when it cannot.
  bool Write(const uint8_t* data, size_t size) const {
    StdioFile f(std::fopen(path_.c_str(), "wb"));
    if (!f)
      return false;
    const bool written = size == 0 || std::fwrite(data, 1, size, f.get()) == size;
    return CloseChecked(f) && written;
  }

 private:
  std::string path_;
};
