#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

// An output file written beside its target under a temporary name and moved
// over the target only when the caller commits it. Until then the target, if
// it existed, is untouched: a failed export leaves the previous file in
// place, and a file that is being read while it is rewritten (a source chosen
// as its own output) keeps its bytes until the new one is complete.
//
// A symbolic link at the target is followed: the file it names is replaced
// and the link stays. Destroying an uncommitted file abandons it.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile() { Abandon(); }

  // Creates the temporary file in the target's folder. 0, or 3 when the
  // folder does not exist or cannot be written, the target is not a regular
  // file, or the target exists and may not be written.
  int32_t Create(const std::string& target);

  // The open stream while the file is being written, else null.
  std::FILE* Stream() const { return stream_; }
  const std::string& Target() const { return target_; }
  const std::string& TemporaryPath() const { return temporary_; }

  // Flushes, syncs and closes the temporary file and renames it over the
  // target. 0, or 18 when any of that fails; the temporary file is then
  // removed and the target is as it was.
  int32_t Commit();

  // Closes and removes the temporary file. Does nothing when there is none.
  void Abandon();

 private:
  std::FILE* stream_ = nullptr;
  std::string target_;
  std::string temporary_;
};
