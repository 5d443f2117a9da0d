#include "controls/te_dialog.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <string>
#include <vector>

#include "controls/dialog_items.h"
#include "controls/drawing_objects.h"
#include "controls/private_messages.h"
#include "tests/testing/screenshot.h"

namespace {

using Log = std::vector<std::string>;

// Laid out like the program's main dialog, with one item of every kind.
constexpr DialogItem kItems[] = {
    {2113, ItemKind::Custom, "", 4, 20, 80, 60, kItemBorder | kItemGroup},
    {2111, ItemKind::PushButton, "&Image", 19, 4, 50, 14, 0},
    {2, ItemKind::PushButton, "E&xit", 19, 104, 50, 14, kItemDefault},
    {kNoItemId, ItemKind::GroupBox, "Alpha", 88, 0, 32, 118, 0},
    {2117, ItemKind::Static, "", 90, 9, 28, 95, kItemBorder | kItemCentre},
    {2118, ItemKind::Edit, "128", 90, 104, 28, 12, kItemBorder | kItemVScroll},
    {kNoItemId, ItemKind::Static, "&Width:", 125, 9, 50, 8, kItemCentre},
    {2114, ItemKind::Edit, "008", 135, 18, 30, 12, kItemBorder},
    {2119, ItemKind::PushButton, "&Play", 125, 69, 50, 14, kItemDisabled},
};
constexpr DialogTemplate kTemplate{2000, "Orvane FX", 5, 6, 179, 122, 0, kItems};

// A custom control made the way the program's own are: (dialog, id).
class Box : public QFrame {
 public:
  Box(QWidget* parent, int id) : QFrame(parent) {
    SetDialogItemId(this, id);
    setFocusPolicy(Qt::StrongFocus);
  }
};

class BaseDialog : public TEDialog {
 public:
  BaseDialog() : TEDialog(kTemplate) {}
  Log log;

 protected:
  const ResponseTable& Responses() const override { return kResponses; }
  void CmPlay() { log.push_back("base play"); }
  void CmImage(int code) { log.push_back("base image " + std::to_string(code)); }
  void EvValueChanged(intptr_t w, intptr_t l) {
    log.push_back("value " + std::to_string(w) + " " + std::to_string(l));
  }
  static const ResponseEntry kEntries[];
  static const ResponseTable kResponses;
};
const ResponseEntry BaseDialog::kEntries[] = {
    OnCommand<&BaseDialog::CmPlay>(2119),
    OnCommand<&BaseDialog::CmImage>(2111),
    OnMessage<&BaseDialog::EvValueChanged>(WM_VALUECHANGED),
};
const ResponseTable BaseDialog::kResponses{&TEDialog::kResponses, BaseDialog::kEntries};

// Replaces Image and Help, and keeps Cancel from closing as a progress
// dialog does. Its handlers are private, as a dialog's usually are.
class DerivedDialog : public BaseDialog {
 protected:
  const ResponseTable& Responses() const override { return kResponses; }

 private:
  void CmImage() {
    log.push_back("image start");
    PostPrivateMessage(this, WM_VALUECHANGED, 2118, 7);
    log.push_back("image end");
  }
  void CmHelp() { log.push_back("help"); }
  void CmCancel() { log.push_back("cancel"); }
  static const ResponseEntry kEntries[];
  static const ResponseTable kResponses;
};
const ResponseEntry DerivedDialog::kEntries[] = {
    OnCommand<&DerivedDialog::CmImage>(2111),
    OnCommand<&DerivedDialog::CmHelp>(TEDialog::kIdHelp),
    OnCommand<&DerivedDialog::CmCancel>(TEDialog::kIdCancel),
};
const ResponseTable DerivedDialog::kResponses{&BaseDialog::kResponses, DerivedDialog::kEntries};

DialogBaseUnits FontUnits() {
  const QFontMetrics metrics(DialogFont());
  return {metrics.averageCharWidth(), metrics.height()};
}

QRect Pixels(int x, int y, int w, int h) {
  const PixelRect r = DialogRectToPixels(x, y, w, h, FontUnits());
  return {r.x, r.y, r.w, r.h};
}

void ShowActive(QWidget& widget) {
  widget.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&widget));
  QApplication::setActiveWindow(&widget);
}

TEST(DialogUnitsTest, MapEachCoordinateTruncating) {
  const struct {
    DialogBaseUnits units;
    int x, y, w, h;
    PixelRect expected;
  } cases[] = {
      {{6, 13}, 4, 20, 80, 60, {6, 32, 120, 97}},
      {{5, 11}, 19, 104, 50, 14, {23, 143, 62, 19}},
      {{7, 16}, 3, 1, 1, 3, {5, 2, 1, 6}},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(DialogRectToPixels(c.x, c.y, c.w, c.h, c.units), c.expected) << c.x << "," << c.y;
  }
}

TEST(TEDialogTest, ItemsStandAtTheirPixelRectanglesForTheFont) {
  BaseDialog dialog;
  ASSERT_GT(FontUnits().charWidth, 2);
  EXPECT_EQ(dialog.font(), DialogFont());
  EXPECT_EQ(dialog.size(), Pixels(0, 0, 179, 122).size());
  EXPECT_EQ(dialog.windowTitle(), "Orvane FX");
  const std::vector<QWidget*> built = dialog.ItemsInOrder();
  ASSERT_EQ(built.size(), std::size(kItems) - 1) << "the custom item has no window yet";
  for (size_t i = 1; i < std::size(kItems); ++i) {
    const DialogItem& item = kItems[i];
    EXPECT_EQ(built[i - 1]->geometry(), Pixels(item.x, item.y, item.w, item.h)) << item.text;
  }

  constexpr DialogTemplate kChild{2000, "", 5, 6, 179, 122, kDialogChild, kItems};
  QWidget frame;
  TEDialog child(kChild, &frame);
  EXPECT_FALSE(child.isWindow());
  EXPECT_EQ(child.geometry(), Pixels(5, 6, 179, 122));
}

TEST(TEDialogTest, ItemsAreFoundByIdAndControlsTakeThemOver) {
  BaseDialog dialog;
  ASSERT_NE(dialog.ItemAs<QPushButton>(2111), nullptr);
  EXPECT_EQ(dialog.ItemText(2111), "&Image") << "the mnemonic stays in the text";
  EXPECT_TRUE(dialog.ItemAs<QPushButton>(2)->isDefault());
  EXPECT_FALSE(dialog.Item(2119)->isEnabled());
  EXPECT_EQ(dialog.ItemAs<QLabel>(2117)->frameShape(), QFrame::Box);
  EXPECT_EQ(FindDialogItem(&dialog, 2114), dialog.Item(2114));
  for (int missing : {2113, kNoItemId, 4711})
    EXPECT_EQ(dialog.Item(missing), nullptr) << missing;
  EXPECT_TRUE(dialog.SetItemText(2114, "048"));
  EXPECT_EQ(dialog.ItemAs<QLineEdit>(2114)->text(), "048");

  Box* preview = dialog.MakeItem<Box>(2113);
  EXPECT_EQ(dialog.Item(2113), preview);
  EXPECT_EQ(preview->geometry(), Pixels(4, 20, 80, 60));
  EXPECT_EQ(preview->frameShape(), QFrame::Box) << "the border style reaches the control";

  // Taking over a standard edit replaces it and hands over its text.
  QPointer<QWidget> standard = dialog.Item(2118);
  auto* edit = new QLineEdit;
  EXPECT_TRUE(dialog.AttachItem(2118, edit));
  EXPECT_TRUE(standard.isNull());
  EXPECT_EQ(edit->parent(), &dialog);
  EXPECT_EQ(edit->text(), "128");
  EXPECT_FALSE(dialog.AttachItem(4711, new QLineEdit(&dialog)));
}

TEST(TEDialogTest, TabOrderAndMnemonicsFollowTheTable) {
  BaseDialog dialog;
  dialog.MakeItem<Box>(2113);
  dialog.EnableItem(2119, true);
  dialog.InsertItemAfter(2117, 2116, new Box(&dialog, 2116));  // as the slider is
  ShowActive(dialog);
  EXPECT_TRUE(dialog.IsSetUp());
  SaveScreenshot(dialog, QStringLiteral("dialog_from_template"));

  const std::vector<int> expected = {2113, 2111, 2, 2116, 2118, 2114, 2119, 2113};
  dialog.Item(2113)->setFocus();
  std::vector<int> seen = {DialogItemId(QApplication::focusWidget())};
  for (size_t i = 1; i < expected.size(); ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    seen.push_back(DialogItemId(QApplication::focusWidget()));
  }
  EXPECT_EQ(seen, expected);

  QTest::keyClick(&dialog, Qt::Key_W, Qt::AltModifier);
  EXPECT_EQ(QApplication::focusWidget(), dialog.Item(2114)) << "a label's mnemonic";
  QTest::keyClick(&dialog, Qt::Key_I, Qt::AltModifier);
  // A button's mnemonic shows the press before it clicks.
  for (int i = 0; i < 100 && dialog.log.empty(); ++i)
    QTest::qWait(10);
  EXPECT_EQ(dialog.log, Log{"base image 0"});
}

TEST(TEDialogTest, OwnTableIsSearchedBeforeTheBase) {
  DerivedDialog dialog;
  ShowActive(dialog);
  dialog.EnableItem(2119, true);
  QTest::mouseClick(dialog.Item(2111), Qt::LeftButton);  // its own table
  QTest::mouseClick(dialog.Item(2119), Qt::LeftButton);  // only the base has it
  EXPECT_TRUE(SendCommand(&dialog, TEDialog::kIdHelp, kBnClicked));
  EXPECT_TRUE(SendPrivateMessage(&dialog, WM_VALUECHANGED, 2114, 99));
  EXPECT_FALSE(SendCommand(&dialog, 4711, kBnClicked)) << "nobody answers an unknown command";
  EXPECT_FALSE(SendPrivateMessage(&dialog, WM_DEVICEFAILURE, 9, 12));
  EXPECT_EQ(dialog.log, (Log{"image start", "image end", "base play", "help", "value 2114 99"}));
  QCoreApplication::sendPostedEvents(&dialog);
  EXPECT_EQ(dialog.log.back(), "value 2118 7") << "posted during Image, delivered after it";

  BaseDialog base;
  EXPECT_TRUE(SendCommand(&base, TEDialog::kIdHelp, kBnClicked)) << "Help is answered";
  EXPECT_TRUE(SendCommand(&base, 2111, kEnChange));
  EXPECT_EQ(base.log, Log{"base image 768"}) << "Help did nothing; the code reaches the handler";
}

TEST(TEDialogTest, CancelClosesWithResultTwoUnlessAHandlerTakesIt) {
  for (bool byKey : {false, true}) {
    BaseDialog dialog;
    QTimer::singleShot(0, &dialog, [&] {
      if (byKey) {
        QTest::keyClick(&dialog, Qt::Key_Escape);
      } else {
        QTest::mouseClick(dialog.Item(2), Qt::LeftButton);
      }
    });
    EXPECT_EQ(dialog.exec(), TEDialog::kIdCancel);
    EXPECT_FALSE(dialog.isVisible());
  }

  DerivedDialog dialog;
  ShowActive(dialog);
  QTest::keyClick(&dialog, Qt::Key_Escape);
  QTest::mouseClick(dialog.Item(2), Qt::LeftButton);
  dialog.close();  // the close box
  EXPECT_EQ(dialog.log, (Log{"cancel", "cancel", "cancel"}));
  EXPECT_TRUE(dialog.isVisible());
}

}  // namespace
