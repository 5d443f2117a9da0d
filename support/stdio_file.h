#pragma once

#include <cstdio>
#include <memory>

// The one owner of a C stream: closed when the owner goes, so no early
// return leaks it. A file that was written is closed with CloseChecked
// instead, because only fclose tells whether the last buffered bytes
// reached it.
struct StdioCloser {
  void operator()(std::FILE* file) const {
    if (file)
      std::fclose(file);
  }
};
using StdioFile = std::unique_ptr<std::FILE, StdioCloser>;

// Closes the stream and leaves the owner empty. False when fclose fails, or
// when there was no stream to close.
inline bool CloseChecked(StdioFile& file) {
  std::FILE* const f = file.release();
  return f != nullptr && std::fclose(f) == 0;
}
