#include <gtest/gtest.h>

#include <QLayout>

#include "app/program_icon.h"
#include "tests/app/fx_fixture.h"

namespace {

TEST(ShowStateTest, NeverStartsMaximisedNorMinimisedAndActive) {
  const struct {
    int requested, adjusted;
  } cases[] = {{kShowHide, kShowHide},
               {kShowNormal, kShowNormal},
               {kShowMinimised, kShowNormal},
               {kShowMaximised, kShowNormal},
               {kShowNoActivate, kShowNormal},
               {kShowMinNoActive, kShowMinNoActive},
               {5, kShowNormal},
               {10, kShowNormal}};
  for (const auto& c : cases)
    EXPECT_EQ(AdjustShowState(c.requested), c.adjusted) << c.requested;
}

TEST(FrameStyleTest, TitleSystemMenuAndMinimiseOnlyNoSizing) {
  const uint32_t style = (kWsOverlappedWindow | kFrameStyleAdd) & ~kFrameStyleRemove;
  EXPECT_EQ(kFrameStyleAdd, 0x12CA0000u);
  EXPECT_EQ(kFrameStyleRemove, 0x40050000u);
  EXPECT_EQ(style, 0x12CA0000u);
  EXPECT_EQ(style & kWsMaximizeBox, 0u);
  EXPECT_EQ(style & kWsThickFrame, 0u);
}

TEST(ProgramIconTest, BothSizesDrawTheWipe) {
  const QIcon icon = ProgramIcon(kProgramIconId);
  ASSERT_FALSE(icon.isNull());
  const QList<QSize> sizes = icon.availableSizes();
  EXPECT_TRUE(sizes.contains(QSize(16, 16)));
  EXPECT_TRUE(sizes.contains(QSize(32, 32)));
  EXPECT_TRUE(ProgramIcon(1002).isNull());
  for (int size : {kSmallIconSize, kLargeIconSize}) {
    const QImage image = ProgramIconImage(size);
    const QRgb centre = image.pixel(size / 2, size / 2);
    const QRgb corner = image.pixel(1, 1);
    EXPECT_GT(qRed(centre), qRed(corner) + 100) << size << ": warm centre, cool corners";
    EXPECT_LT(qBlue(centre) + 60, qBlue(corner)) << size;
    EXPECT_EQ(image.pixel(0, size / 2), qRgb(0x10, 0x10, 0x10)) << size << ": framed";
  }
}

using MainWindowTest = FxTest;

TEST_F(MainWindowTest, FixedFrameExactlyAroundTheDialog) {
  TFxClient& c = Start();
  EXPECT_EQ(frame->windowTitle(), "Orvane FX");
  EXPECT_EQ(frame->centralWidget(), &c);
  EXPECT_EQ(frame->WindowStyle(), 0x12CA0000u);
  const Qt::WindowFlags flags = frame->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowTitleHint);
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(frame->ShrinkToClient());
  EXPECT_EQ(frame->layout()->sizeConstraint(), QLayout::SetFixedSize);

  const PixelRect template2000 = c.MapDialogRect(0, 0, 179, 122);
  const QSize client(template2000.w, template2000.h);
  EXPECT_EQ(frame->size(), client) << "no menu, tool bar or status bar";
  EXPECT_EQ(frame->minimumSize(), client);
  EXPECT_EQ(frame->maximumSize(), client) << "no sizing";
  EXPECT_EQ(c.geometry(), QRect(QPoint(0, 0), client));
  EXPECT_FALSE(frame->windowIcon().isNull());
}

TEST_F(MainWindowTest, ShowStatesOfTheMainWindow) {
  const struct {
    int requested;
    bool visible, minimised;
  } cases[] = {{kShowMaximised, true, false},
               {kShowNormal, true, false},
               {kShowMinNoActive, true, true},
               {kShowHide, false, false}};
  for (const auto& c : cases) {
    frame = CreateMainWindow();
    ShowMainWindow(*frame, c.requested);
    Settle();
    EXPECT_EQ(frame->isVisible(), c.visible) << c.requested;
    EXPECT_EQ(frame->isMinimized(), c.minimised) << c.requested;
    EXPECT_FALSE(frame->isMaximized()) << c.requested;
    frame.reset();
  }
}

}  // namespace
