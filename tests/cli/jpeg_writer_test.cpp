#include "cli/jpeg_writer.h"

#include <gtest/gtest.h>

#include <csetjmp>
#include <cstdio>

// jpeglib.h needs FILE and size_t declared before it.
#include <jpeglib.h>
#include <vector>

#include "cli/test_picture.h"

namespace {

// Decodes with libjpeg to check what the writer made is a real picture.
bool Decode(const std::vector<uint8_t>& jpeg, int& width, int& height, std::vector<uint8_t>& rgb) {
  jpeg_decompress_struct info{};
  jpeg_error_mgr errors{};
  info.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&info);
  jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  if (jpeg_read_header(&info, TRUE) != JPEG_HEADER_OK) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_start_decompress(&info);
  width = static_cast<int>(info.output_width);
  height = static_cast<int>(info.output_height);
  rgb.resize(static_cast<size_t>(width) * height * info.output_components);
  while (info.output_scanline < info.output_height) {
    JSAMPROW row = rgb.data() + static_cast<size_t>(info.output_scanline) * width * 3;
    jpeg_read_scanlines(&info, &row, 1);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

TEST(JpegWriterTest, TestFieldsCompressAndDecodeCloseToTheOriginal) {
  for (auto [w, lines] : {std::pair{640, 240}, std::pair{768, 288}}) {
    std::vector<uint8_t> rgb, jpeg, back;
    RenderTestField(w, lines, 7, rgb);
    ASSERT_TRUE(EncodeJpeg(rgb.data(), w, lines, 85, jpeg));
    ASSERT_GT(jpeg.size(), 100u);
    EXPECT_LT(jpeg.size(), rgb.size() / 4) << "not compressed";
    EXPECT_EQ(jpeg[0], 0xFF);
    EXPECT_EQ(jpeg[1], 0xD8);
    int dw = 0, dh = 0;
    ASSERT_TRUE(Decode(jpeg, dw, dh, back));
    EXPECT_EQ(dw, w);
    EXPECT_EQ(dh, lines);
    double error = 0;
    for (size_t i = 0; i < rgb.size(); ++i)
      error += std::abs(int(rgb[i]) - int(back[i]));
    EXPECT_LT(error / rgb.size(), 6.0);
  }
}

TEST(JpegWriterTest, BoxMovesFromFieldToField) {
  std::vector<uint8_t> a, b;
  RenderTestField(64, 24, 0, a);
  RenderTestField(64, 24, 1, b);
  EXPECT_NE(a, b);
  std::vector<uint8_t> jpeg;
  EXPECT_FALSE(EncodeJpeg(nullptr, 64, 24, 85, jpeg));
  EXPECT_FALSE(EncodeJpeg(a.data(), 0, 24, 85, jpeg));
}

}  // namespace
