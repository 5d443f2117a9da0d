#pragma once

#include <cstdint>
#include <string>

// How a long export shows its progress and learns of a cancel. The desktop
// program plugs in its progress dialog (which also shows the wait cursor
// from Open to Close), the command line a bar on a terminal, tests a
// recorder that can cancel at a chosen step.
class ExportProgress {
 public:
  virtual ~ExportProgress() = default;
  // Work on fileName begins: total steps, under caption.
  virtual void Open(const std::string& caption, const std::string& fileName, int32_t total,
                    bool cancelAllowed) = 0;
  // done steps of total are complete; false when the user asked to stop.
  virtual bool Update(int32_t done) = 0;
  // The work has ended, however it ended.
  virtual void Close() = 0;
};
