#include "app/program_state.h"

#include <gtest/gtest.h>

namespace {

// The values the program starts with. Nothing in this binary changes them.
TEST(ProgramStateTest, StartValues) {
  EXPECT_EQ(FrameRate, 25.0f);
  EXPECT_EQ(TimeDisplayMode, -1);
  EXPECT_EQ(StopFlag.load(), 1) << "no worker may run before the first Play";
  EXPECT_FALSE(VersionQuestionAsked);
}

TEST(ProgramStateTest, FileRecordsStartEmptyWithTheirFilters) {
  EXPECT_EQ(ImageFiles.filter,
            "All Pictures (*.tga;*.png;*.pgm;*.ppm;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.webp)|"
            "*.tga;*.png;*.pgm;*.ppm;*.bmp;*.jpg;*.jpeg;*.tif;*.tiff;*.webp|"
            "TARGA Files (*.tga)|*.tga|All Files (*.*)|*.*");
  EXPECT_EQ(ImageFiles.defExt, "tga");
  EXPECT_EQ(AviFiles.filter, "AVI Files (*.avi)|*.avi|All Files (*.*)|*.*");
  EXPECT_EQ(AviFiles.defExt, "avi");
  for (const FileData* data : {&ImageFiles, &AviFiles}) {
    EXPECT_EQ(data->flags, 0x4806u);
    EXPECT_TRUE(data->fileName.empty());
    EXPECT_TRUE(data->initialDir.empty());
    EXPECT_EQ(data->filterIndex, 0);
  }
}

TEST(ProgramStateTest, DeviceStartsAtItsDefaults) {
  EXPECT_FALSE(Device.LibraryLoaded());
  EXPECT_FALSE(Device.Initialised());
  EXPECT_EQ(Device.FrameWidth(), 640);
  EXPECT_EQ(Device.FrameHeight(), 480);
  EXPECT_EQ(Device.FifoSize(), 0);
  EXPECT_EQ(Device.FifoBase(), nullptr);
  EXPECT_TRUE(Device.Pattern().empty());
}

}  // namespace
