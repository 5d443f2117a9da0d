#include <gtest/gtest.h>

#include "avi/riff_reader.h"
#include "avi/riff_writer.h"
#include "support/error_codes.h"
#include "tests/avi/avi_test_support.h"

namespace {

using namespace avitest;
using Find = RiffReader::Find;

TEST(RiffWriterTest, ChunkAtOddOffsetPoisonsTheFile) {
  ScratchDir dir;
  const std::string path = dir.File("odd.riff");
  RiffWriter w;
  ASSERT_EQ(w.Create(path), kOk);
  w.Write("x", 1);
  RiffChunkWriter chunk(w, FourCC("late"));
  EXPECT_EQ(chunk.End(), kErrCannotWrite);
  EXPECT_EQ(w.Write("y", 1), kErrCannotWrite);
  EXPECT_EQ(w.Commit(), kErrCannotWrite);
  EXPECT_TRUE(dir.Names().empty());
}

class RiffReaderTest : public ::testing::Test {
 protected:
  void Open(const Bytes& bytes) {
    WriteAll(dir_.File("in.riff"), bytes);
    ASSERT_TRUE(file_.Open(dir_.File("in.riff")));
  }
  ScratchDir dir_;
  BufferedFile file_;
};

TEST_F(RiffReaderTest, FindsChunksWithinTheirParentOnly) {
  Bytes inner = Chunk(FourCC("skip"), Text("abc"));
  Append(inner, Chunk(FourCC("want"), Text("hello")));
  Bytes form = List(FourCC("frst"), inner);
  Append(form, Chunk(FourCC("late"), Text("zz")));
  Bytes file = List(FourCC("TEST"), form, kFourCCRiff);
  Append(file, Bytes(5, 0));  // slack too short for a chunk header
  Open(file);
  RiffReader riff(file_);
  RiffChunk root, list, want, late;
  ASSERT_EQ(riff.Descend(root, nullptr, Find::kRiff, FourCC("TEST")), kOk);
  ASSERT_EQ(riff.Descend(list, &root, Find::kList, FourCC("frst")), kOk);
  ASSERT_EQ(riff.Descend(want, &list, Find::kChunk, FourCC("want")), kOk);
  char text[5];
  ASSERT_EQ(riff.Read(text, 5), kOk);
  EXPECT_EQ(std::string(text, 5), "hello");
  ASSERT_EQ(riff.Ascend(want), kOk);
  // "late" follows the list, so the list does not hold it.
  EXPECT_EQ(riff.Descend(late, &list, Find::kChunk, FourCC("late")), RiffReader::kNotFound);
  ASSERT_EQ(riff.Ascend(list), kOk);
  ASSERT_EQ(riff.Descend(late, &root, Find::kNext), kOk);
  EXPECT_EQ(late.id, FourCC("late"));
  ASSERT_EQ(riff.Ascend(root), kOk);
  EXPECT_EQ(riff.Descend(late, nullptr, Find::kNext), RiffReader::kNotFound);
  EXPECT_EQ(riff.Seek(file.size() + 1), kErrCannotRead);
  ASSERT_EQ(riff.Seek(file.size() - 2), kOk);
  EXPECT_EQ(riff.Read(text, 3), kErrCannotRead);
  // A list too short for its type is no list.
  const Bytes shortList = Chunk(kFourCCList, Text("ab"));
  std::copy(shortList.begin(), shortList.end(), file.begin() + 12);
  file_.Close();
  Open(file);
  RiffReader again(file_);
  ASSERT_EQ(again.Descend(root, nullptr, Find::kRiff, FourCC("TEST")), kOk);
  EXPECT_EQ(again.Descend(list, &root, Find::kNext), kErrBadFile);
}

TEST_F(RiffReaderTest, FindsALastChunkThatEndsExactlyAtItsParentsEnd) {
  struct Case {
    const char* name;
    Bytes payload;
  } cases[] = {{"even payload", Text("abcd")}, {"empty", {}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes inner = Chunk(FourCC("frst"), Text("xyz"));
    Append(inner, Chunk(FourCC("last"), c.payload));
    Open(List(FourCC("TEST"), List(FourCC("list"), inner), kFourCCRiff));
    RiffReader riff(file_);
    RiffChunk root, list, last, none;
    ASSERT_EQ(riff.Descend(root, nullptr, Find::kRiff, FourCC("TEST")), kOk);
    ASSERT_EQ(riff.Descend(list, &root, Find::kList, FourCC("list")), kOk);
    ASSERT_EQ(riff.Descend(last, &list, Find::kChunk, FourCC("last")), kOk);
    EXPECT_EQ(last.size, c.payload.size());
    EXPECT_EQ(last.End(), list.End());
    ASSERT_EQ(riff.Ascend(last), kOk);
    EXPECT_EQ(riff.Descend(none, &list, Find::kNext), RiffReader::kNotFound);
    ASSERT_EQ(riff.Ascend(list), kOk);
    EXPECT_EQ(riff.Descend(none, &root, Find::kNext), RiffReader::kNotFound);
  }
}

TEST_F(RiffReaderTest, ToleratesMissingPadAtEndOfFile) {
  Bytes file = List(FourCC("TEST"), Chunk(FourCC("odd "), Text("abc")), kFourCCRiff);
  file.pop_back();  // the pad byte
  StoreLe32(file.data() + 4, static_cast<uint32_t>(file.size() - 8));
  Open(file);
  RiffReader riff(file_);
  RiffChunk root, odd;
  ASSERT_EQ(riff.Descend(root, nullptr, Find::kRiff, FourCC("TEST")), kOk);
  ASSERT_EQ(riff.Descend(odd, &root, Find::kChunk, FourCC("odd ")), kOk);
  EXPECT_EQ(riff.Ascend(odd), kOk);
  EXPECT_EQ(riff.Tell(), file.size());
}

}  // namespace
