#include "avi/device_frame.h"

#include <gtest/gtest.h>

#include "support/error_codes.h"
#include "tests/avi/avi_test_support.h"

namespace {

using namespace avitest;

TEST(DeviceFrameTest, BuildsAndWalksBlocks) {
  Bytes buffer(64);
  DeviceFrameBuilder builder(buffer);
  ASSERT_EQ(builder.AppendBlock(kVideoFieldBlock, Text("first")), kOk);
  const std::span<uint8_t> room = builder.BeginBlock(kAlphaFieldBlock | kSecondFieldBit);
  ASSERT_GE(room.size(), 3u);
  room[0] = 'a';
  room[1] = 'b';
  ASSERT_EQ(builder.EndBlock(2), kOk);
  ASSERT_EQ(builder.AppendBlock(kMaskFieldBlock, {}), kOk);
  EXPECT_EQ(builder.Size(), 4u + 13 + 10 + 8);

  FrameBlockWalker walker(builder.Frame());
  FrameBlock block;
  ASSERT_TRUE(walker.Next(block));
  EXPECT_EQ(block.header.Type(), kVideoFieldBlock);
  EXPECT_FALSE(block.header.IsSecondField());
  EXPECT_EQ(Bytes(block.payload.begin(), block.payload.end()), Text("first"));
  ASSERT_TRUE(walker.Next(block));
  EXPECT_EQ(block.header.Type(), kAlphaFieldBlock);
  EXPECT_TRUE(block.header.IsSecondField());
  EXPECT_EQ(block.offset, 17u);
  EXPECT_EQ(block.whole.size(), 10u);
  ASSERT_TRUE(walker.Next(block));
  EXPECT_TRUE(block.payload.empty());
  EXPECT_FALSE(walker.Next(block));
  EXPECT_EQ(walker.Status(), kOk);

  const Bytes empty = Le32(kDeviceFrameMagic);
  FrameBlockWalker none(empty);
  EXPECT_FALSE(none.Next(block));
  EXPECT_EQ(none.Status(), kOk);
}

TEST(DeviceFrameTest, WalkerStopsAtBlocksThatDoNotFit) {
  const Bytes good = DeviceFrame(1, 10);
  auto withLength = [&](uint32_t length) {
    Bytes frame = good;
    const Bytes field = Le32(length);
    std::copy(field.begin(), field.end(), frame.begin() + 8);
    return frame;
  };
  const Bytes pastEnd = withLength(11);
  const Bytes huge = withLength(0xFFFFFFFF);
  Bytes trailing = good;
  Append(trailing, Bytes(7, 0));
  Bytes wrongMagic = good;
  wrongMagic[3] = '2';
  const std::pair<const char*, Bytes> cases[] = {
      {"payload past the end", pastEnd},       {"length near 4 GB", huge},
      {"header cut short", trailing},          {"no magic", wrongMagic},
      {"shorter than the magic", Text("ORV")},
  };
  for (const auto& [name, frame] : cases) {
    SCOPED_TRACE(name);
    FrameBlockWalker walker(frame);
    FrameBlock block;
    int blocks = 0;
    while (walker.Next(block))
      ++blocks;
    EXPECT_EQ(walker.Status(), kErrBadFile);
    EXPECT_LE(blocks, 1);
  }
}

TEST(DeviceFrameTest, BuilderRefusesWhatDoesNotFit) {
  Bytes buffer(20);
  DeviceFrameBuilder builder(buffer);
  EXPECT_EQ(builder.AppendBlock(kVideoFieldBlock, Bytes(9)), kErrBadParameter);
  ASSERT_EQ(builder.AppendBlock(kVideoFieldBlock, Bytes(8)), kOk);
  EXPECT_TRUE(builder.BeginBlock(kAlphaFieldBlock).empty());
  EXPECT_EQ(builder.EndBlock(0), kErrBadParameter);
  EXPECT_EQ(builder.Size(), 20u);

  Bytes room(16);
  DeviceFrameBuilder second(room);
  ASSERT_EQ(second.BeginBlock(kAlphaFieldBlock).size(), 4u);
  EXPECT_EQ(second.EndBlock(5), kErrBadParameter);
  EXPECT_EQ(second.Size(), 4u);  // the unfinished block is dropped
  Bytes tiny(3);
  EXPECT_EQ(DeviceFrameBuilder(tiny).Status(), kErrBadParameter);
}

}  // namespace
