#include "wipe/targa_pattern.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <span>
#include <string>
#include <vector>

#include "support/error_codes.h"
#include "wipe/targa_format.h"
#include "wipe/targa_writer.h"

namespace {

namespace fs = std::filesystem;

class TargaPatternTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("orvane_targa_" +
            std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string path = (dir_ / name).string();
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return path;
  }

  int32_t Read(const std::string& path, GreyImage& pattern) {
    BufferedFile file;
    if (!file.Open(path))
      return kErrCannotOpen;
    return ReadTargaPattern(file, pattern);
  }

  fs::path dir_;
};

std::vector<uint8_t> Header(int width, int height, int depth, int descriptor, int type = 2,
                            int idLength = 0, int mapType = 0) {
  TargaHeader header;
  header.idLength = static_cast<uint8_t>(idLength);
  header.colourMapType = static_cast<uint8_t>(mapType);
  header.imageType = static_cast<uint8_t>(type);
  header.width = static_cast<uint16_t>(width);
  header.height = static_cast<uint16_t>(height);
  header.pixelDepth = static_cast<uint8_t>(depth);
  header.descriptor = static_cast<uint8_t>(descriptor);
  std::vector<uint8_t> h(kTargaHeaderSize, 0);
  StoreTargaHeader(header, std::span(h).first<kTargaHeaderSize>());
  return h;
}

TEST_F(TargaPatternTest, TakesRedOf24BitAndAlphaOf32BitPixels) {
  std::vector<uint8_t> file24 = Header(2, 1, 24, 0);
  file24.insert(file24.end(), {0, 0, 200, 9, 9, 33});  // BGR
  GreyImage pattern;
  ASSERT_EQ(Read(WriteBytes("a.tga", file24), pattern), kOk);
  EXPECT_EQ(pattern.width, 2);
  EXPECT_EQ(pattern.height, 1);
  EXPECT_EQ(pattern.pixels, (std::vector<uint8_t>{200, 33}));

  std::vector<uint8_t> file32 = Header(2, 1, 32, 8);
  file32.insert(file32.end(), {255, 255, 255, 77, 1, 2, 3, 0});  // BGRA
  ASSERT_EQ(Read(WriteBytes("b.tga", file32), pattern), kOk);
  EXPECT_EQ(pattern.pixels, (std::vector<uint8_t>{77, 0}));
}

TEST_F(TargaPatternTest, FirstFileRowBecomesBottomPatternRow) {
  std::vector<uint8_t> bytes = Header(1, 3, 24, 0);
  bytes.insert(bytes.end(), {0, 0, 10, 0, 0, 20, 0, 0, 30});
  GreyImage pattern;
  ASSERT_EQ(Read(WriteBytes("c.tga", bytes), pattern), kOk);
  EXPECT_EQ(pattern.pixels, (std::vector<uint8_t>{30, 20, 10}));
}

TEST_F(TargaPatternTest, RefusesHeadersItDoesNotAccept) {
  struct {
    const char* what;
    std::vector<uint8_t> header;
  } cases[] = {
      {"top-left origin", Header(2, 2, 24, 0x20)},
      {"32-bit without attribute bits", Header(2, 2, 32, 0)},
      {"24-bit with attribute bits", Header(2, 2, 24, 8)},
      {"image id present", Header(2, 2, 24, 0, 2, 1)},
      {"colour map present", Header(2, 2, 24, 0, 2, 0, 1)},
      {"run-length encoded", Header(2, 2, 24, 0, 10)},
      {"grey-scale type", Header(2, 2, 24, 0, 3)},
      {"colour-mapped type", Header(2, 2, 24, 0, 1)},
      {"16-bit depth", Header(2, 2, 16, 0)},
      {"zero width", Header(0, 2, 24, 0)},
      {"zero height", Header(2, 0, 24, 0)},
  };
  for (auto& c : cases) {
    std::vector<uint8_t> bytes = c.header;
    bytes.resize(bytes.size() + 64, 0x55);  // enough pixel data either way
    GreyImage pattern;
    pattern.pixels.assign(4, 1);  // an earlier pattern must not survive
    EXPECT_EQ(Read(WriteBytes("bad.tga", bytes), pattern), kErrBadFile) << c.what;
    EXPECT_TRUE(pattern.Empty()) << c.what;
  }
}

TEST_F(TargaPatternTest, ShortFilesGiveReadErrorAndNoPattern) {
  std::vector<uint8_t> full = Header(4, 4, 24, 0);
  full.resize(full.size() + 4 * 4 * 3, 100);
  for (size_t cut : {size_t{0}, size_t{17}, size_t{18}, full.size() / 2, full.size() - 1}) {
    GreyImage pattern;
    std::vector<uint8_t> bytes(full.begin(), full.begin() + static_cast<long>(cut));
    EXPECT_EQ(Read(WriteBytes("cut.tga", bytes), pattern), kErrCannotRead) << cut;
    EXPECT_TRUE(pattern.Empty()) << cut;
    EXPECT_EQ(pattern.width, 0);
  }
}

TEST_F(TargaPatternTest, HugeHeaderOnTinyFileIsRefusedWithoutAllocating) {
  std::vector<uint8_t> bytes = Header(65535, 65535, 32, 8);
  bytes.resize(bytes.size() + 100, 0);
  GreyImage pattern;
  EXPECT_EQ(Read(WriteBytes("huge.tga", bytes), pattern), kErrCannotRead);
  EXPECT_TRUE(pattern.Empty());
}

TEST_F(TargaPatternTest, OwnWriterRoundTripsAtBothDepths) {
  GreyImage image;
  image.width = 5;
  image.height = 3;
  for (int i = 0; i < 15; ++i)
    image.pixels.push_back(static_cast<uint8_t>(i * 17));
  for (int depth : {24, 32}) {
    const std::string path = (dir_ / ("w" + std::to_string(depth) + ".tga")).string();
    ASSERT_EQ(WriteTargaGrey(path, image, depth), kOk);
    GreyImage back;
    ASSERT_EQ(Read(path, back), kOk);
    EXPECT_EQ(back.width, 5);
    EXPECT_EQ(back.height, 3);
    EXPECT_EQ(back.pixels, image.pixels) << depth;
  }
  EXPECT_EQ(WriteTargaGrey((dir_ / "x.tga").string(), image, 16), kErrBadParameter);
  EXPECT_EQ(WriteTargaGrey((dir_ / "no/such/dir/x.tga").string(), image), kErrCannotWrite);
}

#ifdef ORVANE_IMAGEMAGICK
// Files written by another program: a 3 x 2 picture whose top row is dark and
// bottom row bright. ImageMagick 6 stores rows in its memory order and labels
// them bottom-left, so the picture is flipped first to get a true bottom-up
// file; its own auto-oriented reading must then agree with ours.
TEST_F(TargaPatternTest, ReadsImageMagickFilesWithTheRightValuesAndOrientation) {
  const std::string pgm = (dir_ / "in.pgm").string();
  {
    std::ofstream out(pgm);
    out << "P2\n3 2\n255\n10 20 30\n200 210 220\n";
  }
  const std::vector<uint8_t> expected = {10, 20, 30, 200, 210, 220};
  struct {
    const char* options;
    const char* name;
    uint8_t depth;
  } kinds[] = {
      {"-type TrueColor", "rgb24.tga", 24},
      {"-type TrueColorAlpha -alpha copy", "rgba32.tga", 32},
  };
  for (const auto& k : kinds) {
    const std::string out = (dir_ / k.name).string();
    const std::string convert = ORVANE_IMAGEMAGICK;
    const std::string write =
        convert + " " + pgm + " -flip " + k.options + " -compress None " + out;
    ASSERT_EQ(std::system(write.c_str()), 0) << write;

    BufferedFile file;
    ASSERT_TRUE(file.Open(out));
    uint8_t header[kTargaHeaderSize];
    ASSERT_TRUE(file.ReadExact(header, sizeof header));
    EXPECT_EQ(LoadTargaHeader(header).pixelDepth, k.depth) << k.name;
    file.Close();

    GreyImage pattern;
    ASSERT_EQ(Read(out, pattern), kOk) << k.name;
    EXPECT_EQ(pattern.width, 3);
    EXPECT_EQ(pattern.height, 2);
    EXPECT_EQ(pattern.pixels, expected) << k.name;

    const std::string raw = (dir_ / "back.gray").string();
    const std::string back = convert + " " + out + " -auto-orient -depth 8 gray:" + raw;
    ASSERT_EQ(std::system(back.c_str()), 0) << back;
    std::ifstream in(raw, std::ios::binary);
    const std::vector<uint8_t> theirs((std::istreambuf_iterator<char>(in)),
                                      std::istreambuf_iterator<char>());
    EXPECT_EQ(theirs, expected) << k.name;
  }
}
#endif

}  // namespace
