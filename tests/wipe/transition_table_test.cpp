#include "wipe/transition_table.h"

#include <gtest/gtest.h>

#include <map>
#include <numeric>
#include <random>
#include <vector>

namespace {

TransitionTable Build(int p, int w) {
  TransitionTable t;
  t.fill(-7);
  BuildTransitionTable(t, p, w);
  return t;
}

struct TableExample {
  int p, w;
  int lastZero;   // -1: no leading zeros
  int firstFull;  // 256: no trailing 255s
  std::map<int, int> ramp;
};

TEST(TransitionTableTest, WorkedExamples) {
  const TableExample cases[] = {
      {128, 48, 104, 152, {{105, 5}, {106, 11}, {107, 16}, {128, 128}, {150, 244}, {151, 250}}},
      {0, 48, -1, 24, {{0, 128}, {1, 133}, {2, 138}, {23, 250}}},
      {100, 7, 97, 104, {{98, 36}, {99, 73}, {100, 109}, {101, 146}, {102, 182}, {103, 219}}},
      {128, 0, 128, 129, {}},
      {128, 1, 128, 129, {}},
      {-24, 48, -1, 0, {}},
      {279, 48, 255, 256, {}},
      {128, 255, 1, 256, {{2, 1}, {3, 2}, {255, 254}}},
      {-200, 10, -1, 0, {}},
      {300, 0, 255, 256, {}},
      {INT32_MIN, 255, -1, 0, {}},
      {INT32_MAX, 255, 255, 256, {}},
  };
  for (const auto& c : cases) {
    const TransitionTable t = Build(c.p, c.w);
    for (int v = 0; v < 256; ++v) {
      ASSERT_GE(t[v], 0) << c.p << "/" << c.w << " at " << v;
      ASSERT_LE(t[v], 255) << c.p << "/" << c.w << " at " << v;
      if (v <= c.lastZero) {
        EXPECT_EQ(t[v], 0) << c.p << "/" << c.w << " at " << v;
      } else if (v >= c.firstFull) {
        EXPECT_EQ(t[v], 255) << c.p << "/" << c.w << " at " << v;
      } else if (v > 0 && v - 1 > c.lastZero) {
        EXPECT_GE(t[v], t[v - 1]) << "ramp falls at " << v;
      }
    }
    for (auto [v, alpha] : c.ramp) EXPECT_EQ(t[v], alpha) << c.p << "/" << c.w << " at " << v;
  }
}

TEST(TransitionTableTest, DialogRangeEndsSweepWholePicture) {
  // For even widths from 2 the lowest Alpha gives all 255 (width 0 keeps
  // pattern value 0 at alpha 0); the highest always gives all 0.
  for (int w = 0; w <= 255; ++w) {
    const TransitionTable low = Build(-(w / 2), w);
    const TransitionTable high = Build(255 + w / 2, w);
    for (int v = 0; v < 256; ++v) {
      if ((w >= 2 && w % 2 == 0) || v > 0) {
        ASSERT_EQ(low[v], 255) << "w " << w << " v " << v;
      }
      ASSERT_EQ(high[v], 0) << "w " << w << " v " << v;
    }
  }
}

TEST(ApplyTransitionTableTest, UsesTheLowByteOfEveryEntry) {
  TransitionTable t;
  for (int i = 0; i < 256; ++i) t[i] = 0x1200 + (255 - i);
  std::vector<uint8_t> pattern(1027);  // not a multiple of 4
  for (size_t i = 0; i < pattern.size(); ++i) pattern[i] = static_cast<uint8_t>(i * 7);
  std::vector<uint8_t> out(pattern.size() + 1, 0xAB);
  ApplyTransitionTable(out.data(), pattern.data(), t, pattern.size());
  for (size_t i = 0; i < pattern.size(); ++i) ASSERT_EQ(out[i], 255 - pattern[i]) << i;
  EXPECT_EQ(out.back(), 0xAB) << "wrote past count";
}

class FifoTest : public ::testing::Test {
 protected:
  static constexpr size_t kRing = 4194304;
  static constexpr size_t kField = 153600;

  void SetUp() override {
    ring.assign(kRing, 0xCD);
    field.resize(kField);
    for (size_t i = 0; i < kField; ++i) field[i] = static_cast<uint8_t>((i * 131) >> 3);
    BuildTransitionTable(table, 128, 48);
  }
  uint8_t Alpha(size_t k) const { return static_cast<uint8_t>(table[field[k]]); }

  std::vector<uint8_t> ring, field;
  TransitionTable table{};
};

TEST_F(FifoTest, FieldWrapsAtTheRingEnd) {
  ASSERT_TRUE(WriteFieldToFifo(ring.data(), 4100000, kRing, kField, field.data(), table));
  for (size_t k = 0; k < 94304; ++k) ASSERT_EQ(ring[4100000 + k], Alpha(k)) << k;
  for (size_t k = 94304; k < kField; ++k) ASSERT_EQ(ring[k - 94304], Alpha(k)) << k;
  EXPECT_EQ(ring[59296], 0xCD) << "the second field starts here and must be untouched";
  EXPECT_EQ(ring[4099999], 0xCD);
}

TEST_F(FifoTest, FieldEndingAtRingEndIsOnePiece) {
  const size_t offset = kRing - kField;
  ASSERT_TRUE(WriteFieldToFifo(ring.data(), offset, kRing, kField, field.data(), table));
  for (size_t k = 0; k < kField; ++k) ASSERT_EQ(ring[offset + k], Alpha(k)) << k;
  EXPECT_EQ(ring[0], 0xCD);
  EXPECT_EQ(ring[offset - 1], 0xCD);
}

TEST_F(FifoTest, UnalignedOffsetsAndCountsWriteExactlyCountBytes) {
  std::mt19937 rng(5);
  for (int trial = 0; trial < 200; ++trial) {
    const size_t ringSize = 64 + rng() % 200;
    const size_t offset = rng() % ringSize;
    const size_t count = rng() % (ringSize + 1);
    std::vector<uint8_t> small(ringSize + 8, 0xCD);  // 8 guard bytes past the ring
    ASSERT_TRUE(WriteFieldToFifo(small.data(), offset, ringSize, count, field.data(), table));
    std::vector<int> written(ringSize, -1);
    for (size_t k = 0; k < count; ++k) written[(offset + k) % ringSize] = Alpha(k);
    for (size_t i = 0; i < ringSize; ++i) {
      ASSERT_EQ(small[i], written[i] < 0 ? 0xCD : written[i])
          << "ring " << ringSize << " offset " << offset << " count " << count << " at " << i;
    }
    for (size_t i = ringSize; i < small.size(); ++i) ASSERT_EQ(small[i], 0xCD) << "past the ring";
  }
}

TEST_F(FifoTest, RefusesOffsetsOrCountsOutsideTheRing) {
  std::vector<uint8_t> small(16, 0xCD);
  EXPECT_FALSE(WriteFieldToFifo(small.data(), 16, 16, 4, field.data(), table));
  EXPECT_FALSE(WriteFieldToFifo(small.data(), 0, 16, 17, field.data(), table));
  EXPECT_EQ(small, std::vector<uint8_t>(16, 0xCD));
}

TEST_F(FifoTest, FrameOfEqualPositionsMatchesStillAlphaMap) {
  // A playback frame at p1 = p2 puts the same bytes in the ring as the still
  // picture's alpha map.
  std::vector<uint8_t> still(2 * kField);
  std::vector<uint8_t> pattern(2 * kField);
  std::iota(pattern.begin(), pattern.end(), 0);
  ApplyTransitionTable(still.data(), pattern.data(), table, pattern.size());
  const size_t e = 4100000;
  ASSERT_TRUE(WriteFieldToFifo(ring.data(), e, kRing, kField, pattern.data(), table));
  ASSERT_TRUE(WriteFieldToFifo(ring.data(), (e + kField) % kRing, kRing, kField,
                               pattern.data() + kField, table));
  for (size_t k = 0; k < 2 * kField; ++k) ASSERT_EQ(ring[(e + k) % kRing], still[k]) << k;
}

// Every kernel this processor runs must give the bytes of a plain lookup:
// every value at every lane position, every tail length, unaligned starts,
// in place, and nothing written past the count.
class LookupKernelTest : public ::testing::TestWithParam<LookupKernel> {
 protected:
  void SetUp() override {
    if (!LookupKernelAvailable(GetParam()))
      GTEST_SKIP() << "this processor lacks the kernel";
  }
};

std::vector<std::vector<uint8_t>> Tables() {
  std::vector<std::vector<uint8_t>> tables;
  std::vector<uint8_t> t(256);
  std::iota(t.begin(), t.end(), 0);
  tables.push_back(t);
  for (int i = 0; i < 256; ++i)
    t[i] = static_cast<uint8_t>(255 - i);
  tables.push_back(t);
  std::mt19937 rng(11);
  for (int k = 0; k < 4; ++k) {
    for (auto& v : t)
      v = static_cast<uint8_t>(rng());
    tables.push_back(t);
  }
  TransitionTable ramp;
  BuildTransitionTable(ramp, 128, 48);
  for (int i = 0; i < 256; ++i)
    t[i] = static_cast<uint8_t>(ramp[i]);
  tables.push_back(t);
  return tables;
}

TEST_P(LookupKernelTest, EveryValueAtEveryLanePosition) {
  // Block b holds (j + b) & 255 at position j, so each value meets every
  // position of a 256-byte stretch, and with it every vector lane.
  std::vector<uint8_t> in(256 * 257);
  for (size_t i = 0; i < in.size(); ++i)
    in[i] = static_cast<uint8_t>(i + i / 256);
  for (const std::vector<uint8_t>& lut : Tables()) {
    std::vector<uint8_t> out(in.size() + 64, 0x5A);
    LookUpBytes(GetParam(), out.data(), in.data(), lut.data(), in.size());
    for (size_t i = 0; i < in.size(); ++i)
      ASSERT_EQ(out[i], lut[in[i]]) << i;
    for (size_t i = in.size(); i < out.size(); ++i)
      ASSERT_EQ(out[i], 0x5A) << "past the count";
  }
}

TEST_P(LookupKernelTest, EveryTailAndUnalignedStart) {
  std::mt19937 rng(3);
  std::vector<uint8_t> in(512);
  for (auto& v : in)
    v = static_cast<uint8_t>(rng());
  const std::vector<uint8_t> lut = Tables()[2];
  for (size_t start = 0; start < 64; ++start) {
    for (size_t count = 0; count <= 200; ++count) {
      std::vector<uint8_t> out(512 + 64, 0x5A);
      LookUpBytes(GetParam(), out.data() + start, in.data() + start, lut.data(), count);
      for (size_t i = 0; i < out.size(); ++i) {
        const bool inside = i >= start && i < start + count;
        ASSERT_EQ(out[i], inside ? lut[in[i]] : 0x5A)
            << "start " << start << " count " << count << " at " << i;
      }
    }
  }
}

TEST_P(LookupKernelTest, InPlace) {
  std::vector<uint8_t> bytes(1000);
  for (size_t i = 0; i < bytes.size(); ++i)
    bytes[i] = static_cast<uint8_t>(i * 31);
  const std::vector<uint8_t> original = bytes;
  const std::vector<uint8_t> lut = Tables()[3];
  LookUpBytes(GetParam(), bytes.data(), bytes.data(), lut.data(), bytes.size());
  for (size_t i = 0; i < bytes.size(); ++i)
    ASSERT_EQ(bytes[i], lut[original[i]]) << i;
}

INSTANTIATE_TEST_SUITE_P(Kernels, LookupKernelTest,
                         ::testing::Values(LookupKernel::kPlain, LookupKernel::kAvx2,
                                           LookupKernel::kAvx512Vbmi),
                         [](const auto& info) {
                           switch (info.param) {
                             case LookupKernel::kAvx2:
                               return std::string("Avx2");
                             case LookupKernel::kAvx512Vbmi:
                               return std::string("Avx512Vbmi");
                             default:
                               return std::string("Plain");
                           }
                         });

TEST(LookupKernelChoiceTest, ActiveKernelIsOneThisProcessorRuns) {
  EXPECT_TRUE(LookupKernelAvailable(ActiveLookupKernel()));
  EXPECT_TRUE(LookupKernelAvailable(LookupKernel::kPlain));
}

}  // namespace
