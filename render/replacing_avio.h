#pragma once

#include <cstdint>
#include <string>

#include "avi/replacing_file.h"
#include "render/av_handles.h"
#include "render/render_status.h"

// The video library's output stream over a ReplacingFile: the muxer writes
// (and seeks back to patch its headers) in the hidden temporary beside the
// target, and the target is replaced only by Commit. So a render that fails
// or is cancelled leaves the earlier file of that name as it was, and a
// signal that ends the program removes the temporary like an export's.
class ReplacingAvio {
 public:
  ReplacingAvio() = default;
  ReplacingAvio(const ReplacingAvio&) = delete;
  ReplacingAvio& operator=(const ReplacingAvio&) = delete;
  ~ReplacingAvio() { Abandon(); }

  // 0, kErrNoFile when the file cannot be created (see ReplacingFile), or
  // kErrNoMemory.
  int32_t Create(const std::string& target, RenderStatus& status);
  AVIOContext* Io() const { return io_.get(); }
  // Flushes the library's buffer and renames the file over the target; 0 or
  // kErrCannotWrite, the temporary removed.
  int32_t Commit(RenderStatus& status);
  // Removes the temporary; nothing when there is none.
  void Abandon();
  const std::string& Target() const { return target_; }

 private:
  ReplacingFile file_;
  IoContextHandle io_;
  std::string target_;
};
