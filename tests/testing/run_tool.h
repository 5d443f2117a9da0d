#pragma once

// Runs another program (ffmpeg, ffprobe) through the shell for a test.

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

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

// The "key=value" lines of a tool's output (ffprobe's default writer), in
// order; other lines are left out.
inline std::vector<std::pair<std::string, std::string>> KeyValueLines(const std::string& text) {
  std::vector<std::pair<std::string, std::string>> pairs;
  size_t at = 0;
  while (at < text.size()) {
    const size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    at = end == std::string::npos ? text.size() : end + 1;
    const size_t eq = line.find('=');
    if (eq != std::string::npos)
      pairs.emplace_back(line.substr(0, eq), line.substr(eq + 1));
  }
  return pairs;
}

}  // namespace testtool
