#include <gtest/gtest.h>

#include <sys/wait.h>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "support/buffered_file.h"
#include "support/error_codes.h"
#include "wipe/builtin_patterns.h"
#include "wipe/targa_pattern.h"

namespace {

namespace fs = std::filesystem;

int RunCli(const std::string& arguments) {
  const std::string command = std::string(ORVANE_CLI) + " " + arguments + " >/dev/null 2>&1";
  const int raw = std::system(command.c_str());
  return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
}

TEST(PatternsCommandTest, WritesEveryPatternAsATargaThePatternReaderAccepts) {
  const fs::path dir = fs::temp_directory_path() / "orvane_patterns_command" / "new folder";
  fs::remove_all(dir.parent_path());
  ASSERT_EQ(RunCli("patterns '" + dir.string() + "' --size 64x48"), 0);
  for (const auto& p : BuiltinPatterns()) {
    BufferedFile file;
    ASSERT_TRUE(file.Open((dir / (std::string(p.name) + ".tga")).string())) << p.name;
    GreyImage read, rendered;
    ASSERT_EQ(ReadTargaPattern(file, read), kOk) << p.name;
    ASSERT_TRUE(RenderBuiltinPattern(p.name, 64, 48, rendered));
    EXPECT_EQ(read.width, 64);
    EXPECT_EQ(read.height, 48);
    EXPECT_EQ(read.pixels, rendered.pixels) << p.name;
  }
  fs::remove_all(dir.parent_path());
}

TEST(PatternsCommandTest, FailuresExitNonZero) {
  EXPECT_NE(RunCli("patterns"), 0);
  EXPECT_NE(RunCli("patterns /tmp/orvane_x --size 0x10"), 0);
  EXPECT_NE(RunCli("patterns /proc/orvane-cannot-write"), 0);
  EXPECT_NE(RunCli("no-such-command"), 0);
  EXPECT_EQ(RunCli("patterns --list"), 0);
}

}  // namespace
