#include "support/buffered_file.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {

namespace fs = std::filesystem;

TEST(BufferedFileTest, ReadsSeeksAndReportsShortReads) {
  const fs::path dir = fs::temp_directory_path() / "orvane_buffered_file_test";
  fs::create_directories(dir);
  const fs::path path = dir / "ten.bin";
  {
    std::ofstream out(path, std::ios::binary);
    out << "0123456789";
  }
  BufferedFile file;
  ASSERT_TRUE(file.Open(path.string()));
  EXPECT_EQ(file.Size(), 10u);
  char buf[8] = {};
  EXPECT_TRUE(file.ReadExact(buf, 4));
  EXPECT_EQ(std::string(buf, 4), "0123");
  EXPECT_EQ(file.Tell(), 4u);
  ASSERT_TRUE(file.Seek(8));
  EXPECT_EQ(file.Read(buf, 8), 2u);
  EXPECT_FALSE(file.ReadExact(buf, 1));
  file.Close();
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(file.Read(buf, 1), 0u);
  fs::remove_all(dir);
}

TEST(BufferedFileTest, RefusesMissingFilesAndFolders) {
  BufferedFile file;
  EXPECT_FALSE(file.Open("/nonexistent/orvane/file.tga"));
  EXPECT_FALSE(file.Open(fs::temp_directory_path().string()));
  EXPECT_FALSE(file.IsOpen());
}

}  // namespace
