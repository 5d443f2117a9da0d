#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "support/error_codes.h"
#include "tests/cli/cli_run.h"
#include "tests/cli/mask_files.h"
#include "tests/testing/fnv1a.h"
#include "wipe/builtin_patterns.h"
#include "wipe/targa_writer.h"

// The files the exports write, pinned by size and hash, and alpha values
// worked out by hand from the transition table's formula. Neither is computed
// by the code that writes the files, so a slip in the field positions, the
// table, the encoder or the file layout shows here, and a change that is
// meant to keep every byte proves it did.

namespace {

using namespace clitest;

enum class Pattern { kRadial, kDissolve };

// The grey level of pattern pixel (x, y) at a width x height frame. Radial:
// the distance from the centre pixel in whole steps, capped at 255, so along
// the centre row the level is |x - width / 2|. Dissolve: a scattered value
// from an integer hash.
uint8_t PatternGrey(Pattern pattern, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (pattern == Pattern::kRadial) {
    const double dx = x - width / 2, dy = y - height / 2;
    return static_cast<uint8_t>(std::min(255.0, std::floor(std::sqrt(dx * dx + dy * dy))));
  }
  uint32_t h = static_cast<uint32_t>(x) * 73856093u ^ static_cast<uint32_t>(y) * 19349663u;
  h ^= h >> 13;
  h *= 0x5bd1e995u;
  h ^= h >> 15;
  return static_cast<uint8_t>(h);
}

// The pattern at the frame size, so the export scales nothing.
void WritePattern(const fs::path& path, Pattern pattern, int32_t width, int32_t height) {
  GreyImage image;
  image.width = width;
  image.height = height;
  for (int32_t y = 0; y < height; ++y)
    for (int32_t x = 0; x < width; ++x)
      image.pixels.push_back(PatternGrey(pattern, x, y, width, height));
  ASSERT_EQ(WriteTargaGrey(path.string(), image), kOk);
}

struct Export {
  const char* what;
  const char* standard;  // empty for a mask export
  Pattern pattern;
  const char* duration;
  int32_t edgeWidth;
  int32_t sourceFrames;  // of a make-source recording; 0 for none
};

int32_t FrameWidth(const Export& e) {
  return std::string(e.standard) == "pal" ? 768 : 640;
}
int32_t FrameHeight(const Export& e) {
  return std::string(e.standard) == "pal" ? 576 : 480;
}

// Makes the inputs of e in dir and runs its export into out.avi.
CliResult RunExport(const CliFolder& dir, const Export& e) {
  std::string source;
  if (e.sourceFrames > 0) {
    const CliResult made = dir.Run("make-source --frames " + std::to_string(e.sourceFrames) +
                                   " -o " + Quote(dir / "source.avi"));
    EXPECT_EQ(made.status, 0) << made.err;
    source = " --source " + Quote(dir / "source.avi");
  }
  if (*e.standard == '\0') {
    // Three masks over a longer recording: the export ends with the masks.
    WriteMasks(dir.Path(), 3, 200, [](int n, int m, int x) { return n * 50 + m * 3 + x * 7; });
    return dir.Run("masks" + source + " --first-mask " + Quote(dir / "m001.tga") + " -o " +
                   Quote(dir / "out.avi"));
  }
  WritePattern(dir / "pattern.tga", e.pattern, FrameWidth(e), FrameHeight(e));
  return dir.Run("transition --pattern " + Quote(dir / "pattern.tga") + source + " --standard " +
                 e.standard + " --duration " + e.duration + " --width " +
                 std::to_string(e.edgeWidth) + " -o " + Quote(dir / "out.avi"));
}

const Export kRadialNtsc{"radial", "ntsc", Pattern::kRadial, "500", 48, 0};
const Export kOneFramePal{"one frame", "pal", Pattern::kRadial, "40", 255, 0};

TEST(ExportedBytesTest, FilesKeepTheirSizeAndHash) {
  struct Case {
    Export e;
    uintmax_t size;
    uint32_t fnv1a;
  };
  // Recorded once from the exports as they are; a change here is a change of
  // the bytes every export writes.
  const Case cases[] = {
      {kRadialNtsc, 568796, 0x03E2B99Au},
      {{"random dissolve", "pal", Pattern::kDissolve, "400", 0, 0}, 3674240, 0xDB636276u},
      {kOneFramePal, 112936, 0x6D8938E7u},
      {{"over a recording", "ntsc", Pattern::kRadial, "200", 48, 3}, 249486, 0x8F8BEA76u},
      {{"masks", "", Pattern::kRadial, "", 0, 4}, 106898, 0x6CD13E95u},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.e.what);
    CliFolder dir;
    const CliResult r = RunExport(dir, c.e);
    ASSERT_EQ(r.status, 0) << r.err;
    const std::string bytes = ReadText(dir / "out.avi");
    EXPECT_EQ(bytes.size(), c.size);
    EXPECT_EQ(Fnv1a(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), c.fnv1a);
  }
}

TEST(ExportedBytesTest, BuiltinPatternFilesKeepTheirSizeAndHash) {
  // Every pattern's TARGA file in the order of the list, at the sizes the
  // package ships and an odd one; recorded once as they were written.
  struct Case {
    const char* arguments;
    uintmax_t size;
    uint32_t fnv1a;
  };
  const Case cases[] = {
      {"--standard ntsc", 25805304, 0x643B2455u},
      {"--standard pal", 37159416, 0xDA5D90BCu},
      {"--size 97x41", 334572, 0x3F5795DAu},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.arguments);
    CliFolder dir;
    const CliResult r = dir.Run("patterns " + Quote(dir / "p") + " " + c.arguments);
    ASSERT_EQ(r.status, 0) << r.err;
    std::string bytes;
    for (const auto& p : BuiltinPatterns())
      bytes += ReadText(dir / "p" / (std::string(p.name) + ".tga"));
    EXPECT_EQ(bytes.size(), c.size);
    EXPECT_EQ(Fnv1a(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), c.fnv1a);
  }
}

// Field positions of frame i of n at edge width w (span s = w + 256, h =
// max(1, n / 2), q = n / 4): up to h, p1 = (i s + q) / h and p2 = (i s + s / 2
// + q) / h; after it the same from n - i with - s / 2. The table for position
// p: 0 up to p - w / 2, then ((g - (p - w / 2)) 255 + w / 2) / w, 255 from
// p - w / 2 + w on. On the line through the centre (field 1) and the one
// below it (field 2) the radial grey g is |x - width / 2| up to 255, and 1 at
// the centre of field 2.
TEST(ExportedBytesTest, AlphaFieldsHoldTheTableValuesWorkedOutByHand) {
  struct Field {
    int32_t frame, field;
    std::vector<std::pair<int32_t, int>> columnAlpha;
  };
  struct Case {
    Export e;
    int32_t frames, line;
    std::vector<Field> fields;
  };
  const Case cases[] = {
      // 15 frames, s = 304, h = 7, q = 3.
      {kRadialNtsc,
       15,
       120,
       {
           // Frame 0: p1 = 3 / 7 = 0, ramp from -24: ((g + 24) 255 + 24) / 48;
           // p2 = (152 + 3) / 7 = 22, ramp from -2.
           {0, 1, {{320, 128}, {321, 133}, {343, 250}, {344, 255}}},
           {0, 2, {{320, 16}, {330, 64}, {365, 250}, {366, 255}}},
           // Frame 3: p1 = (912 + 3) / 7 = 130, ramp from 106;
           // p2 = (912 + 152 + 3) / 7 = 152, ramp from 128.
           {3, 1, {{426, 0}, {427, 5}, {450, 128}, {473, 250}, {474, 255}}},
           {3, 2, {{448, 0}, {449, 5}, {472, 128}, {496, 255}}},
           // Frame 10, from n - i = 5: p1 = (1520 + 3) / 7 = 217, ramp from
           // 193; p2 = (1520 - 152 + 3) / 7 = 195, ramp from 171.
           {10, 1, {{520, 37}, {103, 128}, {0, 255}}},
           {10, 2, {{495, 21}, {520, 154}}},
       }},
      // One frame: h = 1, q = 0, s = 511; w / 2 = 127. p1 = 0, ramp from
      // -127: ((g + 127) 255 + 127) / 255; p2 = 255, ramp from 128.
      {kOneFramePal,
       1,
       144,
       {
           {0, 1, {{384, 127}, {385, 128}, {484, 227}, {512, 255}}},
           {0, 2, {{512, 0}, {513, 1}, {639, 127}}},
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.e.what);
    CliFolder dir;
    const CliResult made = RunExport(dir, c.e);
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_NE(made.out.find(std::to_string(c.frames) + " frames"), std::string::npos) << made.out;
    const CliResult inspected =
        dir.Run("inspect " + Quote(dir / "out.avi") + " --alpha-dir " + Quote(dir / "alpha"));
    ASSERT_EQ(inspected.status, 0) << inspected.err;
    for (const Field& f : c.fields) {
      char name[32];
      std::snprintf(name, sizeof name, "frame%04d-f%d.pgm", f.frame, f.field);
      int width = 0, lines = 0;
      std::string pixels;
      ASSERT_TRUE(ReadPgm(dir / "alpha" / name, width, lines, pixels)) << name;
      ASSERT_EQ(width, FrameWidth(c.e));
      ASSERT_EQ(lines, FrameHeight(c.e) / 2);
      for (const auto& [column, alpha] : f.columnAlpha) {
        const size_t at = static_cast<size_t>(c.line) * width + column;
        EXPECT_EQ(static_cast<uint8_t>(pixels[at]), alpha) << name << " column " << column;
      }
    }
  }
}

}  // namespace
