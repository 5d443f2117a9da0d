#include "controls/drawing_objects.h"

#include <gtest/gtest.h>

#include <QFontInfo>

namespace {

TEST(DrawingObjectsTest, ColoursAndFontAsTheDialogsExpect) {
  ASSERT_TRUE(DrawingObjectsCreated());
  EXPECT_EQ(BlueBrush().color(), QColor(0, 0, 255));
  EXPECT_EQ(GreyBrush().color(), QColor(0xC0, 0xC0, 0xC0));
  EXPECT_EQ(BlueBrush().style(), Qt::SolidPattern);
  EXPECT_EQ(RedPen().color(), QColor(255, 0, 0));
  EXPECT_EQ(RedPen().width(), 1);
  EXPECT_EQ(DialogFont().pixelSize(), 11);
  EXPECT_EQ(DialogFont().weight(), QFont::Normal);
  EXPECT_FALSE(DialogFont().italic());
  // Whatever face the system substitutes, it renders at the requested size.
  EXPECT_EQ(QFontInfo(DialogFont()).pixelSize(), 11);
}

TEST(DrawingObjectsTest, RecreationAfterDestructionGivesFreshObjects) {
  DestroyDrawingObjects();
  EXPECT_FALSE(DrawingObjectsCreated());
  CreateDrawingObjects();
  CreateDrawingObjects();  // a second call keeps the first set
  ASSERT_TRUE(DrawingObjectsCreated());
  EXPECT_EQ(BlueBrush().color(), QColor(0, 0, 255));
}

}  // namespace
