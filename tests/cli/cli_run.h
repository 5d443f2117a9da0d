#pragma once

// Runs the built `orvane` as a user would, through a shell, and keeps what
// it printed.

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace clitest {

namespace fs = std::filesystem;

struct CliResult {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A path as one shell word.
inline std::string Quote(const fs::path& path) {
  std::string quoted = "'";
  for (char c : path.string())
    quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// What `timeout` exits with when it had to end the command.
inline constexpr int kTimedOut = 124;

// Runs `orvane arguments` in a folder of its own; setup is shell text run
// first in the same shell (a ulimit, say). With seconds, a run that takes
// longer is ended and its status is kTimedOut.
inline CliResult RunCli(const fs::path& folder, const std::string& arguments,
                        const std::string& setup = "", int seconds = 0) {
  const fs::path script = folder / "run.sh";
  {
    std::ofstream s(script);
    s << setup << "\nexec ";
    if (seconds > 0)
      s << "timeout " << seconds << " ";
    s << ORVANE_CLI << " " << arguments << "\n";
  }
  const std::string command = "bash " + Quote(script) + " >" + Quote(folder / "stdout.txt") +
                              " 2>" + Quote(folder / "stderr.txt");
  const int raw = std::system(command.c_str());
  CliResult result;
  result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  result.out = ReadText(folder / "stdout.txt");
  result.err = ReadText(folder / "stderr.txt");
  fs::remove(script);
  fs::remove(folder / "stdout.txt");
  fs::remove(folder / "stderr.txt");
  return result;
}

// A scratch folder named after the running test.
class CliFolder {
 public:
  CliFolder() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    path_ = fs::temp_directory_path() / ("orvane_cli_" + std::string(info->test_suite_name()) +
                                         "_" + info->name() + "_" + std::to_string(::getpid()));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~CliFolder() { fs::remove_all(path_); }
  const fs::path& Path() const { return path_; }
  fs::path operator/(const std::string& name) const { return path_ / name; }
  CliResult Run(const std::string& arguments, const std::string& setup = "",
                int seconds = 0) const {
    return RunCli(path_, arguments, setup, seconds);
  }

 private:
  fs::path path_;
};

// An 8-bit binary PGM; false unless it is one.
inline bool ReadPgm(const fs::path& path, int& width, int& height, std::string& pixels) {
  const std::string file = ReadText(path);
  int max = 0, used = 0;
  if (std::sscanf(file.c_str(), "P5 %d %d %d%n", &width, &height, &max, &used) != 3 || max != 255)
    return false;
  pixels = file.substr(static_cast<size_t>(used) + 1);
  return pixels.size() == static_cast<size_t>(width) * static_cast<size_t>(height);
}

}  // namespace clitest
