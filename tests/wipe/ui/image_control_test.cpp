#include "wipe/ui/image_control.h"

#include <gtest/gtest.h>

#include <QTest>
#include <cmath>
#include <cstring>
#include <vector>

#include "controls/te_dialog.h"
#include "tests/testing/screenshot.h"

namespace {

constexpr int kPreviewId = 2113;

// Neighbours differ in both directions, so a skew or a row swap shows.
std::vector<uint8_t> Checkered(int w, int h) {
  std::vector<uint8_t> p(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x)
      p[y * w + x] = static_cast<uint8_t>(x * 4 + y * 44);
  }
  return p;
}

// Dark in the middle, light toward the corners.
std::vector<uint8_t> Diamond(int w, int h) {
  std::vector<uint8_t> p(static_cast<size_t>(w) * h);
  for (int y = 0; y < h; ++y) {
    for (int x = 0; x < w; ++x) {
      const double d = std::abs(x - w / 2.0) / (w / 2.0) + std::abs(y - h / 2.0) / (h / 2.0);
      p[y * w + x] = static_cast<uint8_t>(std::min(255.0, d * 127.5));
    }
  }
  return p;
}

// A shown preview with a one-pixel border around a client area of w x h.
struct Shown {
  Shown(int w, int h) : control(nullptr, kPreviewId) {
    control.setFrameStyle(QFrame::Box | QFrame::Plain);
    control.resize(w + 2, h + 2);
    control.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&control));
  }
  ImageControl control;
};

TEST(PreviewColorTableTest, PaletteAndTheKnownTables) {
  const auto palette = PreviewPalette();
  const int greys[][2] = {{0, 0}, {1, 4}, {31, 125}, {32, 130}, {62, 251}, {63, 255}};
  for (const auto& g : greys)
    EXPECT_EQ(palette[g[0]], qRgb(g[1], g[1], g[1])) << g[0];
  std::array<uint16_t, 64> identity{}, soft{}, hard{};
  const uint16_t ramp[] = {1, 7, 12, 17, 22, 28, 34, 39, 45, 50, 55, 60};
  for (int i = 0; i < 64; ++i) {
    identity[i] = static_cast<uint16_t>(i);
    soft[i] = i < 26 ? 0 : i <= 37 ? ramp[i - 26] : 63;
    hard[i] = i < 32 ? 0 : 63;
  }
  EXPECT_EQ(PreviewColorTable(128, 256), identity);
  EXPECT_EQ(PreviewColorTable(128, 48), soft);
  EXPECT_EQ(PreviewColorTable(128, 49), soft) << "an odd width ramps over one value less";
  EXPECT_EQ(PreviewColorTable(128, 0), hard);
  EXPECT_EQ(PreviewColorTable(128, 1), hard);
  for (int32_t p : {INT32_MIN, -1000, 383, INT32_MAX}) {
    for (int32_t w : {0, 255, INT32_MAX, -7}) {
      for (uint16_t entry : PreviewColorTable(p, w))
        ASSERT_LE(entry, 63) << p << " " << w;
    }
  }
}

// The dialog's drag test walks the edges; these are the rounding and the
// sizes that leave nothing to divide by.
TEST(PreviewScrubTest, RoundsToTheNearestAndSurvivesDegenerateSizes) {
  const struct {
    int32_t x, clientWidth, lo, hi, value;
  } cases[] = {
      {1, 118, -24, 279, -21},                   // 303 / 117 = 2.59
      {1, 3, 0, 1, 1},                           // a half rounds up
      {1, 5, 0, 1, 0},         {2, 1, 5, 9, 5},  // one column: the low end
      {0, 0, 5, 9, 5},         {3, 10, 7, 7, 7}, {INT32_MAX, 118, INT32_MIN, INT32_MAX, INT32_MAX},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(PreviewScrubValue(c.x, c.clientWidth, c.lo, c.hi), c.value)
        << c.x << " of " << c.clientWidth << " over " << c.lo << ".." << c.hi;
  }
}

TEST(ImageControlTest, HintShowsOnlyWithoutAPicture) {
  Shown shown(118, 90);
  const QColor brush = shown.control.palette().color(QPalette::Base);
  const auto notBrush = [&] {
    const QImage shot = shown.control.grab().toImage();
    int n = 0;
    for (int y = 1; y <= 90; ++y) {
      for (int x = 1; x <= 118; ++x)
        n += shot.pixelColor(x, y) != brush;
    }
    return n;
  };
  shown.control.SetHint(QStringLiteral("Drop a picture here"));
  EXPECT_GT(notBrush(), 30);
  const auto pattern = std::vector<uint8_t>(118 * 90, 255);
  ASSERT_TRUE(shown.control.SetImage(pattern.data(), 118, 90));
  shown.control.SetWipe(128, 48, true);
  const QImage shot = shown.control.grab().toImage();
  for (int y = 1; y <= 90; ++y) {
    for (int x = 1; x <= 118; ++x)
      ASSERT_EQ(shot.pixelColor(x, y), QColor(Qt::white)) << x << "," << y;
  }
}

TEST(ImageControlTest, TakesOverItsDialogItemAndMeasuresInsideTheBorder) {
  static constexpr DialogItem kItems[] = {
      {kPreviewId, ItemKind::Custom, "", 4, 20, 80, 60, kItemBorder},
  };
  static constexpr DialogTemplate kTemplate{2000, "", 5, 6, 179, 122, 0, kItems};
  TEDialog dialog(kTemplate);
  auto* preview = dialog.MakeItem<ImageControl>(kPreviewId);
  EXPECT_FALSE(preview->IsSetUp());
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  const PixelRect r = dialog.MapDialogRect(4, 20, 80, 60);
  ASSERT_TRUE(preview->IsSetUp());
  EXPECT_EQ(preview->ClientWidth(), r.w - 2);
  EXPECT_EQ(preview->ClientHeight(), r.h - 2);
  EXPECT_EQ(preview->ColorTable(), PreviewColorTable(128, 256));
  EXPECT_TRUE(preview->Image().isNull());
}

TEST(ImageControlTest, EmptyControlShowsTheBrush) {
  Shown shown(40, 30);
  const QImage shot = shown.control.grab().toImage();
  const QColor brush = shown.control.palette().color(QPalette::Base);
  for (int y = 1; y <= 30; ++y) {
    for (int x = 1; x <= 40; ++x)
      ASSERT_EQ(shot.pixelColor(x, y), brush) << x << "," << y;
  }
}

TEST(ImageControlTest, PatternOfTheClientSizeIsKeptAsLevelsBottomRowFirst) {
  Shown shown(118, 90);
  const auto pattern = Checkered(118, 90);
  ASSERT_TRUE(shown.control.SetImage(pattern.data(), 118, 90));
  const QImage& image = shown.control.Image();
  ASSERT_EQ(image.format(), QImage::Format_Indexed8);
  EXPECT_EQ(image.bytesPerLine(), 120);
  for (int y = 0; y < 90; ++y) {
    const uint8_t* row = image.constScanLine(89 - y);
    for (int x = 0; x < 118; ++x)
      ASSERT_EQ(row[x], pattern[y * 118 + x] >> 2) << x << "," << y;
  }
}

TEST(ImageControlTest, SetWipeRewritesOnlyTheColourTable) {
  Shown shown(118, 90);
  const auto pattern = Diamond(300, 200);
  ASSERT_TRUE(shown.control.SetImage(pattern.data(), 300, 200));
  const QImage& image = shown.control.Image();
  const uchar* bits = image.constBits();
  const std::vector<uint8_t> before(bits, bits + image.sizeInBytes());
  shown.control.SetWipe(128, 48, false);
  EXPECT_EQ(shown.control.ColorTable(), PreviewColorTable(128, 48));
  EXPECT_EQ(image.color(26), qRgb(4, 4, 4)) << "level 26 shows palette grey 1";
  shown.control.SetWipe(10, 0, true);
  EXPECT_EQ(image.constBits(), bits) << "the pixels were neither copied nor moved";
  EXPECT_EQ(std::memcmp(image.constBits(), before.data(), before.size()), 0);
}

TEST(ImageControlTest, ClientWidthsOffTheRowStrideDrawUnskewed) {
  for (int width : {118, 117, 119, 120}) {
    Shown shown(width, 90);
    const auto pattern = Checkered(width, 90);
    ASSERT_TRUE(shown.control.SetImage(pattern.data(), width, 90));
    shown.control.SetWipe(100, 90, true);
    const auto table = PreviewColorTable(100, 90);
    const auto palette = PreviewPalette();
    const QImage shot = shown.control.grab().toImage();
    int wrong = 0;
    for (int y = 0; y < 90; ++y) {
      for (int x = 0; x < width; ++x) {
        wrong += shot.pixel(x + 1, y + 1) != palette[table[pattern[y * width + x] >> 2]];
      }
    }
    EXPECT_EQ(wrong, 0) << "client width " << width;
  }
}

TEST(ImageControlTest, ScreenshotsOfAPatternAtTheDefaultWipe) {
  Shown shown(118, 90);
  const auto pattern = Diamond(320, 240);
  ASSERT_TRUE(shown.control.SetImage(pattern.data(), 320, 240));
  SaveScreenshot(shown.control, QStringLiteral("preview_identity"));
  shown.control.SetWipe(128, 48, true);
  const QImage shot = shown.control.grab().toImage();
  EXPECT_EQ(shot.pixelColor(60, 46), QColor(Qt::black)) << "the middle lies below the edge";
  EXPECT_EQ(shot.pixelColor(2, 2), QColor(Qt::white)) << "the corners above it";
  SaveScreenshot(shown.control, QStringLiteral("preview_alpha128_width48"));
}

TEST(ImageControlTest, FailedLoadLeavesTheControlEmptyAndSizeIsTakenOnce) {
  ImageControl control(nullptr, kPreviewId);
  control.resize(50, 40);
  const auto pattern = Checkered(10, 10);
  ASSERT_TRUE(control.SetImage(pattern.data(), 10, 10));  // sets up on first use
  control.resize(80, 60);
  ASSERT_TRUE(control.SetImage(pattern.data(), 10, 10));
  EXPECT_EQ(control.Image().size(), QSize(50, 40));
  EXPECT_FALSE(control.SetImage(nullptr, 10, 10));
  EXPECT_TRUE(control.Image().isNull());
  EXPECT_FALSE(control.SetImage(pattern.data(), 0, 10));
}

}  // namespace
