#pragma once

// Runs another program (ffmpeg, ffprobe) through the shell for a test.

#include <cstdio>
#include <string>

namespace testtool {

// Runs a shell command; its exit status, with its standard output in out.
inline int RunTool(const std::string& command, std::string* out = nullptr) {
  std::FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe)
    return -1;
  char buffer[65536];
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) {
    if (out)
      out->append(buffer, n);
  }
  return pclose(pipe);
}

}  // namespace testtool
