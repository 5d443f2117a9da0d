#include "support/stdio_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

namespace {

TEST(StdioFileTest, CheckedCloseTellsWhetherTheBufferedBytesReachedTheFile) {
  const std::filesystem::path plain =
      std::filesystem::temp_directory_path() / "orvane_stdio_file_test.bin";
  struct Case {
    const char* name;
    std::string path;
    bool closes;
  } cases[] = {
      {"a plain file", plain.string(), true},
      // The write fits the buffer and seems to succeed; only the flush at
      // the close finds the device full.
      {"a full device", "/dev/full", false},
      {"nothing open", "", false},
  };
  for (const Case& c : cases) {
    StdioFile file(c.path.empty() ? nullptr : std::fopen(c.path.c_str(), "wb"));
    if (file) {
      EXPECT_EQ(std::fwrite("abc", 1, 3, file.get()), 3u) << c.name;
    }
    EXPECT_EQ(CloseChecked(file), c.closes) << c.name;
    EXPECT_FALSE(file) << c.name;
  }
  EXPECT_EQ(std::filesystem::file_size(plain), 3u);
  std::filesystem::remove(plain);
}

}  // namespace
