#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/stdio_file.h"

// An output file written beside its target under a temporary name and moved
// over the target only when the caller commits it. Until then the target, if
// it existed, is untouched: a failed export leaves the previous file in
// place, and a file that is being read while it is rewritten (a source chosen
// as its own output) keeps its bytes until the new one is complete.
//
// - A symbolic link at the target is followed, to the end of a chain and
//   also when it dangles: the file it names is written and the link stays.
// - The new file gets the earlier file's permission bits, and its owner and
//   group where the process may give them away.
// - Where the rename could not be done (the folder may not be written, or a
//   sticky folder protects a file of another user) but the file itself may
//   be written, the file is written in place instead: it is truncated at
//   Create, so a failure then leaves it incomplete, as a plain rewrite would.
// - A file with other hard links is replaced like any other: the new file
//   takes this name, and the other names keep the earlier bytes. Writing
//   through all names would give up the one promise above (a failure leaves
//   the earlier file whole), and hard links to recordings are usually
//   snapshots (`cp -al`, rsync --link-dest) that expect exactly this.
//
// The temporary file is noted for RemoveTemporaryFiles, so a process ended
// by a signal can remove it. Destroying an uncommitted file abandons it.
class ReplacingFile {
 public:
  ReplacingFile() = default;
  ReplacingFile(const ReplacingFile&) = delete;
  ReplacingFile& operator=(const ReplacingFile&) = delete;
  ~ReplacingFile() { Abandon(); }

  // Creates the temporary file in the target's folder, or opens the target
  // itself as described above. 0, or kErrNoFile when the folder does not exist
  // or cannot be written (and the target cannot be written in place), the
  // target is not a regular file, or it exists and may not be written.
  int32_t Create(const std::string& target);

  // True when Create would write target in place; a caller that reads the
  // same file meanwhile must not let it.
  static bool WouldWriteInPlace(const std::string& target);

  // The open stream while the file is being written, else null.
  std::FILE* Stream() const { return stream_.get(); }
  // The file written: the target with its links followed.
  const std::string& Target() const { return target_; }
  // Empty when the target is written in place.
  const std::string& TemporaryPath() const { return temporary_; }
  bool WritesInPlace() const { return inPlace_; }

  // Asks the system to start writing what has reached the file so far to
  // the disk, without waiting for it, so that Commit's sync finds little
  // left to do. A hint only: where it is not offered it does nothing, and a
  // failure shows at Commit.
  void StartWriteBack() const;

  // Flushes, syncs and closes the temporary file and renames it over the
  // target. 0, or kErrCannotWrite when any of that fails; the temporary file is
  // then removed and the target is as it was (written in place: incomplete).
  int32_t Commit();

  // Closes and removes the temporary file; a target written in place is
  // left as far as it was written. Does nothing when there is no file.
  void Abandon();

 private:
  int32_t OpenInPlace(const std::string& file);
  void RemoveTemporary();

  StdioFile stream_;
  std::string target_;
  std::string temporary_;
  bool inPlace_ = false;
  int noted_ = -1;
};
