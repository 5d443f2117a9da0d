#include "support/file_data.h"

#include <gtest/gtest.h>

#include <string>

namespace {

constexpr const char* kTarga = "TARGA Files (*.tga)|*.tga|All Files (*.*)|*.*";

TEST(FileDataTest, RememberDirectoryKeepsTheFolderInItsCase) {
  struct Case {
    const char* path;
    const char* folder;
  };
  const Case cases[] = {
      {"/home/Ann/Clips/Wipe01.tga", "/home/Ann/Clips"},
      {"/wipe.tga", "/"},  // the root keeps its "/"
      {"wipe.tga", ""},
      {"Clips/wipe.tga", "Clips"},
      {"/home/ann/clips.old/wipe", "/home/ann/clips.old"},
      {"C:/Clips/Wipe01.tga", "C:/Clips"},
      {"C:/wipe.tga", "C:"},
      {"C:wipe.tga", "C:"},
      // Only "/" separates folders: ":" and "\\" belong to the name.
      {"/home/Ann/Clips/clip:1.tga", "/home/Ann/Clips"},
      {"/home/Ann/Clips/back\\slash.tga", "/home/Ann/Clips"},
      {"/home/Ann/a:b/c.tga", "/home/Ann/a:b"},
      {"C:\\Clips\\Wipe01.tga", "C:"},
      {"C:\\clips/mixed\\w.tga", "C:\\clips"},
      {"clip:1.tga", ""},
      {"", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(RememberDirectory(c.path), c.folder) << c.path;
}

TEST(FileDataTest, AppendFilterExtensionOnlyWhenThereIsNoDot) {
  struct Case {
    const char* path;
    int32_t filterIndex;
    const char* expected;
  };
  const Case cases[] = {
      {"/clips/wipe", 1, "/clips/wipe.tga"},
      {"/clips/wipe", 0, "/clips/wipe.tga"},      // no filter chosen yet: the first
      {"/clips/wipe", 2, "/clips/wipe."},         // All Files: the dot alone
      {"/clips.old/wipe", 1, "/clips.old/wipe"},  // a dot in the folder counts
      {"/clips/wipe.TGA", 1, "/clips/wipe.TGA"},
      {"c:\\clips.old\\wipe", 1, "c:\\clips.old\\wipe"},
      {"/clips/wipe", 3, "/clips/wipe"},  // no such filter
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AppendFilterExtension(c.path, kTarga, c.filterIndex), c.expected)
        << c.path << " with filter " << c.filterIndex;
  }
  EXPECT_EQ(AppendFilterExtension("/m/mask", "Masks|*.tga;*.targa", 1), "/m/mask.tga");
  EXPECT_EQ(AppendFilterExtension("/m/mask", "Frames|frame??.raw", 1), "/m/mask.raw");
  EXPECT_EQ(AppendFilterExtension("/m/mask", "Anything|*", 1), "/m/mask");
  EXPECT_EQ(AppendFilterExtension("/m/mask", "", 1), "/m/mask");

  const std::string longest(254, 'a');
  EXPECT_EQ(AppendFilterExtension(longest, kTarga, 1), longest + ".tga");
  const std::string tooLong(255, 'a');
  EXPECT_EQ(AppendFilterExtension(tooLong, kTarga, 1), tooLong);
}

TEST(FileDataTest, ConfirmedChoiceFillsTheRecord) {
  FileData data(kTarga, "tga");
  ApplyChosenFile(data, "/home/Ann/Clips/Wipe", 1);
  EXPECT_EQ(data.fileName, "/home/Ann/Clips/Wipe.tga");
  EXPECT_EQ(data.initialDir, "/home/Ann/Clips");
  EXPECT_EQ(data.filterIndex, 1);
  ApplyChosenFile(data, "/Wipe02.tga", 2);
  EXPECT_EQ(data.fileName, "/Wipe02.tga");
  EXPECT_EQ(data.initialDir, "/");
  EXPECT_EQ(data.filterIndex, 2);
}

}  // namespace
