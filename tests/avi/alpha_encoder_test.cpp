#include "avi/alpha_encoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "avi/alpha_decoder.h"
#include "avi/avi_format.h"
#include "support/error_codes.h"

namespace {

using Bytes = std::vector<uint8_t>;

struct Encoded {
  Bytes bytes;
  AlphaFieldLayout layout;
};

// Encodes, then decodes with the strict decoder, which must give back the
// first lineBytes / 4 * 4 bytes of every line.
Encoded RoundTrip(const Bytes& field, int32_t lineBytes, int32_t lines) {
  Encoded e;
  e.bytes.assign(AlphaFieldBound(lineBytes, lines), 0xCD);
  Bytes scratch(AlphaScratchBound(lineBytes, lines));
  const uint32_t size = EncodeAlphaField(field, lineBytes, lines, e.bytes, scratch);
  EXPECT_GE(size, 8u);
  EXPECT_EQ(size % 4, 0u);
  e.bytes.resize(size);
  const size_t n = static_cast<size_t>(lineBytes) / 4 * 4;
  Bytes decoded(n * lines);
  EXPECT_EQ(DecodeAlphaField(e.bytes, lineBytes, lines, decoded, &e.layout), kOk);
  for (int32_t y = 0; y < lines; ++y) {
    if (n > 0 && std::memcmp(decoded.data() + y * n, field.data() + y * lineBytes, n) != 0) {
      ADD_FAILURE() << "line " << y << " differs";
      break;
    }
  }
  for (const AlphaSegment& s : e.layout.segments)
    EXPECT_GT(s.usedWords, 0);
  return e;
}

std::vector<std::pair<int, int>> Segments(const Encoded& e) {
  std::vector<std::pair<int, int>> s;
  for (const AlphaSegment& seg : e.layout.segments)
    s.emplace_back(seg.skipWords, seg.usedWords);
  return s;
}

// No eight neighbouring bytes equal.
Bytes NoRuns(size_t size, int seed = 0) {
  Bytes b(size);
  for (size_t i = 0; i < size; ++i)
    b[i] = static_cast<uint8_t>(i * 7 + seed);
  return b;
}

TEST(AlphaEncoderTest, EqualLineIsOneFill) {
  const Encoded e = RoundTrip(Bytes(720, 0x5A), 720, 1);
  EXPECT_EQ(e.layout.runLengthBytes, 8u);
  EXPECT_EQ(LoadLe16(e.bytes.data() + 4), 720 | 0x8000);
  EXPECT_EQ(e.bytes[6], 0x5A);
  EXPECT_EQ(e.bytes[7], 0x5A);
  EXPECT_EQ(Segments(e), (std::vector<std::pair<int, int>>{{1, 1}}));
  EXPECT_EQ(e.bytes.size(), 16u);  // 8 + 4 + 2, padded
}

// A fill takes the whole run before the first other byte, wherever in a
// block of 16 that falls, and never more than its 15-bit count holds.
TEST(AlphaEncoderTest, FillEndsWhereItsRunDoes) {
  for (const size_t run : {8u, 15u, 16u, 17u, 31u, 32u, 33u, 100u, 32764u, 32767u, 40000u}) {
    Bytes line(run, 0x5A);
    const Bytes tail = NoRuns(64);
    line.insert(line.end(), tail.begin(), tail.end());
    const Encoded e = RoundTrip(line, static_cast<int32_t>(line.size()), 1);
    EXPECT_EQ(LoadLe16(e.bytes.data() + 4), (std::min<size_t>(run, 0x7FFF) & ~3u) | 0x8000) << run;
  }
}

TEST(AlphaEncoderTest, ZeroFieldHasOneSegmentPerLine) {
  const Encoded e = RoundTrip(Bytes(288 * 720, 0), 720, 288);
  EXPECT_EQ(e.layout.runLengthBytes, 1156u);
  ASSERT_EQ(e.layout.segments.size(), 288u);
  EXPECT_EQ(Segments(e)[0], std::make_pair(1, 1));
  for (size_t i = 1; i < 288; ++i)
    EXPECT_EQ(Segments(e)[i], std::make_pair(0, 1)) << i;
  EXPECT_EQ(e.bytes.size(), 1736u);
}

TEST(AlphaEncoderTest, SplitsLiteralsAtPageBoundaries) {
  Bytes field;
  for (int y = 0; y < 4; ++y) {
    const Bytes line = NoRuns(720, y);
    field.insert(field.end(), line.begin(), line.end());
  }
  const Encoded e = RoundTrip(field, 720, 4);
  EXPECT_EQ(e.layout.runLengthBytes, 2908u);
  EXPECT_EQ(Segments(e), (std::vector<std::pair<int, int>>{
                             {1, 181}, {0, 74}, {0, 108}, {0, 148}, {0, 34}, {0, 181}}));
  EXPECT_EQ(e.bytes.size(), 2924u);
  // Line 2 splits into 292 + 428 bytes, the first part ending at 1024.
  EXPECT_EQ(LoadLe32(e.bytes.data() + 728), 292u);
  EXPECT_EQ(LoadLe32(e.bytes.data() + 1024), 428u);
}

TEST(AlphaEncoderTest, EncodesLineShapes) {
  struct Case {
    const char* name;
    Bytes line;
    int32_t lineBytes;
    std::vector<uint32_t> words;  // the run-length area after L
  };
  Bytes twoRuns(8, 3);
  twoRuns.resize(16, 9);
  Bytes oddTail(722, 4);
  oddTail[720] = oddTail[721] = 200;  // never encoded
  const Bytes shortRun = {1, 2, 3, 5, 5, 5, 5, 5, 5, 5, 5, 6, 7, 8, 9, 10};
  const Case cases[] = {
      {"two fills of 8", twoRuns, 16, {0x03038008, 0x09098008}},
      {"722 bytes encode 720", oddTail, 722, {0x040482D0}},
      {"short line under 4", {1, 2, 3}, 3, {}},
      // Seven equal bytes are no run; the eight after them are.
      {"seven then eight",
       {9, 5, 5, 5, 5, 5, 5, 5, 6, 6, 6, 6, 6, 6, 6, 6},
       16,
       {8, 0x05050509, 0x05050505, 0x06068008}},
      // The literal runs up to the eight fives rounded up to 4, taking one of
      // them; seven fives are no fill, so they start the next literal.
      {"literal rounds into a run",
       shortRun,
       16,
       {4, 0x05030201, 12, 0x05050505, 0x06050505, 0x0A090807}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Encoded e = RoundTrip(c.line, c.lineBytes, 1);
    ASSERT_EQ(e.layout.runLengthBytes, 4 + 4 * c.words.size());
    for (size_t i = 0; i < c.words.size(); ++i) {
      EXPECT_EQ(LoadLe32(e.bytes.data() + 4 + 4 * i), c.words[i]) << i;
    }
  }
}

TEST(AlphaEncoderTest, LiteralEndsAtTheFirstEightEqualBytesWhereverTheyStart) {
  // Long lines take the wide search; seven equal bytes before the eight
  // must not stop it.
  for (uint32_t start = 1; start <= 100; ++start) {
    Bytes line = NoRuns(128);
    std::fill_n(line.begin() + start, 8, line[start]);
    if (start >= 10)
      std::fill_n(line.begin() + (start - 9), 7, line[start - 9]);
    const Encoded e = RoundTrip(line, 128, 1);
    EXPECT_EQ(LoadLe32(e.bytes.data() + 4), (start + 3) & ~3u) << "eight from " << start;
  }
}

TEST(AlphaEncoderTest, SkipsPageTailTooShortForLiteral) {
  // 254 fill lines leave 4 bytes in the first page; the literal line after
  // them starts the next page and its segment passes over the tail.
  Bytes field(254 * 16, 0);
  const Bytes literal = NoRuns(16);
  field.insert(field.end(), literal.begin(), literal.end());
  const Encoded e = RoundTrip(field, 16, 255);
  ASSERT_EQ(e.layout.segments.size(), 255u);
  EXPECT_EQ(Segments(e).back(), std::make_pair(1, 5));
  EXPECT_EQ(LoadLe32(e.bytes.data() + 1020), 0u);  // the unused tail, zero
  EXPECT_EQ(LoadLe32(e.bytes.data() + 1024), 16u);
  EXPECT_EQ(e.layout.runLengthBytes, 1044u);
}

TEST(AlphaEncoderTest, NoSegmentCountsAWholePage) {
  // Runs of exactly eight, one byte out of step with the 4-byte grid: every
  // literal swallows the head of the next run, so the line encodes into
  // about 1150 bytes. After 255 zero lines of one fill each it starts at
  // offset 1024, and one segment would fill that page with 256 words, more
  // than its count byte holds (it would wrap to 0). Here the last literal
  // would have been 4 bytes in the page's last 8, so those 8 stay unused.
  Bytes field(256 * 768, 0);
  for (size_t i = 0; i < 768; ++i) {
    field[255 * 768 + i] = static_cast<uint8_t>(i == 0 ? 250 : (i - 1) / 8);
  }
  const Encoded e = RoundTrip(field, 768, 256);
  const auto segments = Segments(e);
  ASSERT_EQ(segments.size(), 257u);
  EXPECT_EQ(segments[255], std::make_pair(0, 254));
  EXPECT_EQ(segments[256].first, 2);
  EXPECT_EQ(LoadLe32(e.bytes.data() + 2040), 0u);
  EXPECT_EQ(LoadLe32(e.bytes.data() + 2044), 0u);
}

TEST(AlphaEncoderTest, NoSegmentCountsAWholePageAfterSkippedTail) {
  // The same line after 254 zero lines: the 4 bytes left of the first page
  // are too few for the literal it starts with, so its segment passes over
  // them. It still begins at the page start, and must not take the page
  // whole either.
  Bytes field(255 * 768, 0);
  for (size_t i = 0; i < 768; ++i) {
    field[254 * 768 + i] = static_cast<uint8_t>(i == 0 ? 250 : (i - 1) / 8);
  }
  const Encoded e = RoundTrip(field, 768, 255);
  const auto segments = Segments(e);
  ASSERT_EQ(segments.size(), 256u);
  EXPECT_EQ(segments[254], std::make_pair(1, 254));
  EXPECT_EQ(segments[255].first, 2);
  EXPECT_EQ(LoadLe32(e.bytes.data() + 1020), 0u);
  EXPECT_EQ(LoadLe32(e.bytes.data() + 2040), 0u);
  EXPECT_EQ(LoadLe32(e.bytes.data() + 2044), 0u);
}

TEST(AlphaEncoderTest, RoundTripsFieldsOfCardSizes) {
  uint32_t x = 12345;
  for (auto [w, h] : {std::pair{640, 240}, std::pair{768, 288}, std::pair{721, 7}}) {
    Bytes random(w * h), gradient(w * h), constant(w * h, 255);
    for (int i = 0; i < w * h; ++i) {
      x = x * 1103515245 + 12345;
      random[i] = static_cast<uint8_t>(x >> 16);
      const double dx = i % w - w / 2.0, dy = (i / w) * 2 - h;
      gradient[i] = static_cast<uint8_t>(std::min(255.0, std::sqrt(dx * dx + dy * dy) / 2));
    }
    for (const Bytes* field : {&random, &gradient, &constant}) {
      SCOPED_TRACE(testing::Message() << w << "x" << h);
      RoundTrip(*field, w, h);
    }
  }
}

TEST(AlphaEncoderTest, RefusesBuffersTooSmall) {
  const Bytes field = NoRuns(720 * 4);
  Bytes out(2924), scratch(12);
  EXPECT_EQ(EncodeAlphaField(field, 720, 4, out, scratch), 2924u);
  Bytes shortOut(2923), shortScratch(10);
  EXPECT_EQ(EncodeAlphaField(field, 720, 4, shortOut, scratch), 0u);
  EXPECT_EQ(EncodeAlphaField(field, 720, 4, out, shortScratch), 0u);
  EXPECT_EQ(EncodeAlphaField(std::span(field).first(720 * 4 - 1), 720, 4, out, scratch), 0u);
  EXPECT_EQ(EncodeAlphaField(field, -1, 4, out, scratch), 0u);
}

TEST(AlphaDecoderTest, RejectsInconsistentEncodings) {
  Bytes field;
  for (int y = 0; y < 4; ++y) {
    const Bytes line = NoRuns(720, y);
    field.insert(field.end(), line.begin(), line.end());
  }
  field.resize(5 * 720, 17);  // a fifth line of one fill
  const Bytes good = RoundTrip(field, 720, 5).bytes;
  // L = 2912: words at 4 (literal), ..., the fill at 2908; S = 7 at 2912.
  const size_t segments = 2916;
  struct Case {
    const char* name;
    size_t at;
    std::vector<uint8_t> bytes;
    int32_t lineBytes = 720;
    int32_t lines = 5;
  };
  const Case cases[] = {
      {"L not a multiple of 4", 0, {0x61, 0x0B}},
      {"L past the end", 0, {0xFC, 0x0B}},
      {"segment count too large", 2912, {9}},
      {"first segment does not skip L", segments, {0}},
      {"segment empty", segments + 3, {0}},
      {"segment crosses a page", segments + 2, {0, 75}},
      {"skip not ending at a page", segments + 4, {1}},
      {"segment past L", segments + 13, {2}},
      {"literal length not a multiple of 4", 4, {0xD2}},
      {"literal longer than its segment", 728, {0x28, 0x01}},
      {"fill value bytes differ", 2910, {17, 18}},
      {"fill count zero", 2908, {0x00, 0x80}},
      {"fill longer than its line", 2908, {0xD4, 0x82}},
      {"line shorter than its literal", 0, {}, 716},
      {"segments left over", 0, {}, 720, 4},
      {"lines left over", 0, {}, 720, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes bad = good;
    std::copy(c.bytes.begin(), c.bytes.end(), bad.begin() + c.at);
    Bytes out(720 * 6);
    EXPECT_EQ(DecodeAlphaField(bad, c.lineBytes, c.lines, out), kErrBadFile);
  }
  Bytes out(720 * 5);
  EXPECT_EQ(DecodeAlphaField(good, 720, 5, out), kOk);
  Bytes longer = good;
  longer.resize(good.size() + 4);
  EXPECT_EQ(DecodeAlphaField(longer, 720, 5, out), kErrBadFile);
  EXPECT_EQ(DecodeAlphaField(good, 720, 5, std::span(out).first(720 * 5 - 1)), kErrBadParameter);
}

}  // namespace
