#include "controls/shorten_path.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <string>
#include <vector>

#include "controls/drawing_objects.h"

namespace {

// Full stops are narrower than the other characters, as in a real font, so
// the first shortened form can fit where the original did not.
int NarrowDots(std::string_view text) {
  int width = 0;
  for (char c : text)
    width += c == '.' ? 1 : 2;
  return width;
}

TEST(ShortenPathTest, ShortensBehindTheDrivePrefixUntilItFits) {
  const std::string path = "C:\\video\\clips\\wipe.tga";
  ASSERT_EQ(NarrowDots(path), 45);
  struct Case {
    int maxWidth;
    const char* expected;
  };
  const Case cases[] = {
      {45, "C:\\video\\clips\\wipe.tga"},  // fits: unchanged, no full stops
      {44, "C:\\...eo\\clips\\wipe.tga"},
      {42, "C:\\...eo\\clips\\wipe.tga"},
      {41, "C:\\...o\\clips\\wipe.tga"},
      {38, "C:\\...\\clips\\wipe.tga"},
      {36, "C:\\...clips\\wipe.tga"},
      {35, "C:\\...lips\\wipe.tga"},
      {18, "C:\\...e.tga"},
      {16, "C:\\....tga"},
      {0, "C:\\..."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ShortenPath(path, c.maxWidth, NarrowDots), c.expected) << c.maxWidth;
  }
  // Without a drive the full stops start the text.
  EXPECT_EQ(ShortenPath("clips\\wipe.tga", 24, NarrowDots), "...ps\\wipe.tga");
  EXPECT_EQ(ShortenPath("clips\\wipe.tga", 22, NarrowDots), "...s\\wipe.tga");
}

TEST(ShortenPathTest, FixedWidthMeasureSeesEachFormInTurn) {
  std::vector<std::string> measured;
  const auto fixed = [&](std::string_view text) {
    measured.emplace_back(text);
    return static_cast<int>(text.size()) * 6;
  };
  EXPECT_EQ(ShortenPath("C:\\video\\clips\\wipe.tga", 20 * 6, fixed), "C:\\...clips\\wipe.tga");
  EXPECT_EQ(measured,
            (std::vector<std::string>{"C:\\video\\clips\\wipe.tga", "C:\\...eo\\clips\\wipe.tga",
                                      "C:\\...o\\clips\\wipe.tga", "C:\\...\\clips\\wipe.tga",
                                      "C:\\...clips\\wipe.tga"}));
}

TEST(ShortenPathTest, ShortTextsBecomeThePrefixAndFullStops) {
  const auto tooWide = [](std::string_view) { return 1000; };
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"C:\\abc", "C:\\..."}, {"C:\\ab", "C:\\..."}, {"abc", "..."},
      {"ab", "..."},          {"C:", "C:..."},  // all prefix; nothing to overwrite
      {"/v/x", "..."},  // no drive: four characters, one kept behind the stops, then none
  };
  for (const Case& c : cases)
    EXPECT_EQ(ShortenPath(c.text, 10, tooWide), c.expected) << c.text;
}

TEST(ShortenPathTest, NeverCutsInsideACharacter) {
  // Every character counts one; "é" is two bytes.
  const auto chars = [](std::string_view text) {
    return static_cast<int>(QString::fromUtf8(text.data(), text.size()).size());
  };
  const std::string path = "/home/andré/vidéos/été/wipe.tga";
  for (int width = 0; width < 40; ++width) {
    const std::string result = ShortenPath(path, width, chars);
    const QString decoded = QString::fromUtf8(result);
    EXPECT_EQ(decoded.toStdString(), result) << "broken UTF-8 at width " << width;
    EXPECT_FALSE(decoded.contains(QChar::ReplacementCharacter)) << width;
  }
  EXPECT_EQ(ShortenPath(path, 17, chars), "...s/été/wipe.tga");
}

TEST(ShortenPathTest, FitsWithTheDialogFont) {
  const QFontMetrics metrics(DialogFont());
  const QString path = QStringLiteral("C:\\video\\clips\\wipe.tga");
  const int full = metrics.horizontalAdvance(path);
  EXPECT_EQ(ShortenPath(metrics, path, full), path);

  const int maxWidth = full * 2 / 3;
  const QString shortened = ShortenPath(metrics, path, maxWidth);
  EXPECT_LE(metrics.horizontalAdvance(shortened), maxWidth);
  EXPECT_TRUE(shortened.startsWith("C:\\...")) << shortened.toStdString();
  EXPECT_TRUE(shortened.endsWith("wipe.tga")) << shortened.toStdString();
  // The longest form that fits: one more character of the path would not.
  const QString tail = shortened.mid(6);
  const QString longer = "C:\\..." + path.right(tail.size() + 1);
  EXPECT_GT(metrics.horizontalAdvance(longer), maxWidth) << longer.toStdString();
}

}  // namespace
