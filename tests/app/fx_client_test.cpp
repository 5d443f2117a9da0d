#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QWindow>
#include <filesystem>
#include <fstream>

#include "controls/ev_slider.h"
#include "controls/private_messages.h"
#include "controls/time_code_edit.h"
#include "support/error_codes.h"
#include "tests/app/fx_fixture.h"
#include "tests/testing/screenshot.h"
#include "wipe/ui/image_control.h"

namespace {

using Enabled = std::vector<bool>;

TEST_F(FxTest, StartsWithTheDefaultsAndOnlyWhatNeedsNoPattern) {
  TFxClient& c = Start();
  SaveScreenshot(*frame, QStringLiteral("effect_dialog_start"));
  EXPECT_TRUE(Device.Initialised());
  EXPECT_EQ(c.State(), TFxClient::kStateNoPattern);
  EXPECT_EQ(c.WidthEdit()->text(), "48");
  EXPECT_EQ(c.AlphaEdit()->text(), "128");
  EXPECT_EQ(c.Width(), 48);
  EXPECT_EQ(c.Alpha(), 128);
  TEVSlider* slider = c.AlphaSlider();
  EXPECT_EQ(slider->GetValue(), 128);
  EXPECT_EQ(slider->Lo(), -24);
  EXPECT_EQ(slider->Hi(), 279);
  EXPECT_FALSE(slider->Reversed());
  EXPECT_EQ(slider->GetPosition(), 152);
  EXPECT_EQ(slider->TickGap(), 152);
  EXPECT_FALSE(slider->Snaps());
  EXPECT_EQ(slider->PageSize(), 10);
  EXPECT_EQ(c.AlphaEdit()->Min(), -24);
  EXPECT_EQ(c.AlphaEdit()->Max(), 279);
  EXPECT_EQ(c.WidthEdit()->Max(), 255);
  EXPECT_EQ(c.DurationMs(), 1000);
  EXPECT_EQ(c.DurationEdit()->Min(), 3);
  EXPECT_EQ(c.DurationEdit()->Max(), 10000);
  EXPECT_EQ(c.ItemText(kIdPlay), "&Play");

  // Image, Export and Duration on; the slider and Play off; the edits,
  // About and Exit are never switched off.
  EXPECT_EQ(Switched(), (Enabled{true, true, true, false, false}));
  for (int id : {kIdAlpha, kIdWidth, kIdAbout, kIdExit})
    EXPECT_TRUE(c.Item(id)->isEnabled()) << id;

  // The slider sits inside its frame, just after it in the tab order.
  EXPECT_EQ(slider->geometry(), c.SliderFrame()->geometry().adjusted(2, 2, -2, -2));
  const std::vector<QWidget*> order = c.ItemsInOrder();
  const auto at = std::find(order.begin(), order.end(), c.SliderFrame());
  ASSERT_NE(at, order.end());
  EXPECT_EQ(*(at + 1), slider);
  EXPECT_EQ(c.ItemAs<QPushButton>(kIdExit)->isDefault(), true);
  EXPECT_EQ(c.size(), QSize(c.MapDialogRect(0, 0, 179, 122).w, c.MapDialogRect(0, 0, 179, 122).h));
}

TEST_F(FxTest, DurationShowsFramesAtTheCardsRate) {
  const struct {
    const char* standard;
    float cardRate;
  } cases[] = {{"ntsc", kNtscFrameRate}, {"pal", kPalFrameRate}};
  for (const auto& c : cases) {
    TFxClient& client = Start({{"ORVINTER_SIM_STANDARD", c.standard}});
    EXPECT_EQ(TimeDisplayMode, 1);
    EXPECT_EQ(FrameRate, c.cardRate) << "the card's rate, for playback and export";
    EXPECT_EQ(client.DurationEdit()->Fps(), c.cardRate) << c.standard;
    EXPECT_EQ(client.DurationEdit()->Mode(), 1);
    EXPECT_EQ(client.DurationEdit()->Text(), "00:00:01:00");
    frame.reset();
  }
}

// Alpha's range follows Width: -w/2 .. w/2 + 255, and an Alpha outside a
// new range is taken as its nearest end everywhere but in the edit's text,
// which is corrected when the edit loses the focus.
TEST_F(FxTest, WidthSetsTheAlphaRangeAndAlphaFollowsIntoIt) {
  TFxClient& c = Start();
  ChooseImage(WritePattern("diagonal.tga"));
  ASSERT_EQ(c.State(), TFxClient::kStateIdle);

  const struct {
    const char* width;
    int lo, hi, tickGap;
  } ranges[] = {{"0", 0, 255, 128},
                {"255", -127, 382, 255},
                {"48", -24, 279, 152},
                {"1", 0, 255, 128},
                {"300", -127, 382, 255}};
  for (const auto& r : ranges) {
    Type(c.WidthEdit(), r.width);
    EXPECT_EQ(c.AlphaSlider()->Lo(), r.lo) << r.width;
    EXPECT_EQ(c.AlphaSlider()->Hi(), r.hi) << r.width;
    EXPECT_EQ(c.AlphaSlider()->TickGap(), r.tickGap) << r.width;
    EXPECT_EQ(c.AlphaEdit()->Min(), r.lo) << r.width;
    EXPECT_EQ(c.AlphaEdit()->Max(), r.hi) << r.width;
  }
  ASSERT_EQ(c.Width(), 255) << "300 is read as the edit's largest";

  Type(c.AlphaEdit(), "382");
  EXPECT_EQ(c.Alpha(), 382);
  EXPECT_EQ(c.AlphaSlider()->GetValue(), 382);
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(382, 255));

  Type(c.WidthEdit(), "0");
  EXPECT_EQ(c.Width(), 0);
  EXPECT_EQ(c.Alpha(), 255);
  EXPECT_EQ(c.AlphaSlider()->GetValue(), 255);
  EXPECT_EQ(c.AlphaSlider()->GetPosition(), 255);
  EXPECT_EQ(c.Preview()->ColorTable(), PreviewColorTable(255, 0));
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(255, 0));
  EXPECT_EQ(c.AlphaEdit()->text(), "382") << "the text stays until the focus leaves";
  c.AlphaEdit()->setFocus();
  c.WidthEdit()->setFocus();
  Settle();
  EXPECT_EQ(c.AlphaEdit()->text(), "255");

  Type(c.WidthEdit(), "255");
  Type(c.AlphaEdit(), "-200");
  EXPECT_EQ(c.Alpha(), -127);
  EXPECT_EQ(c.AlphaSlider()->GetValue(), -127);
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(-127, 255));
}

TEST_F(FxTest, SliderMovesWriteAlphaAndTheWipe) {
  TFxClient& c = Start();
  ChooseImage(WritePattern("diagonal.tga"));
  ASSERT_EQ(c.State(), TFxClient::kStateIdle);
  TEVSlider* slider = c.AlphaSlider();
  slider->setFocus();
  QTest::keyClick(slider, Qt::Key_Down);  // values grow downward
  Settle();
  EXPECT_EQ(c.Alpha(), 129);
  EXPECT_EQ(c.AlphaEdit()->text(), "129");
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(129, 48));
  QTest::keyClick(slider, Qt::Key_PageUp);
  Settle();
  EXPECT_EQ(c.Alpha(), 119);
  EXPECT_EQ(c.AlphaEdit()->text(), "119");
  EXPECT_EQ(c.Preview()->ColorTable(), PreviewColorTable(119, 48));
  QTest::keyClick(slider, Qt::Key_Home);
  Settle();
  EXPECT_EQ(c.Alpha(), -24);
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(-24, 48));
}

TEST_F(FxTest, GoodImageLoadsShowsAndEnablesPlay) {
  TFxClient& c = Start();
  const uint32_t cleared = CardChecksum();
  ChooseImage(WritePattern("diagonal.tga", 400, 300));
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(c.State(), TFxClient::kStateIdle);
  EXPECT_EQ(Switched(), (Enabled{true, true, true, true, true}));
  ASSERT_TRUE(c.HasPattern());
  EXPECT_EQ(c.Pattern().width, 400);
  EXPECT_EQ(c.Pattern().height, 300);
  EXPECT_EQ(c.Pattern().pixels, written.pixels);
  EXPECT_FALSE(c.Preview()->Image().isNull());
  EXPECT_EQ(c.Preview()->ColorTable(), PreviewColorTable(128, 48));
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(128, 48));
  EXPECT_NE(CardChecksum(), cleared);
  EXPECT_EQ(ImageFiles.fileName, Path("diagonal.tga")) << "remembered for the next dialog";
  SaveScreenshot(*frame, QStringLiteral("effect_dialog_pattern"));
}

TEST_F(FxTest, CancelledImageKeepsPatternAndState) {
  TFxClient& c = Start();
  ChooseImage(WritePattern("diagonal.tga"));
  ASSERT_EQ(c.State(), TFxClient::kStateIdle);
  const uint32_t shown = CardChecksum();
  ChooseImage(std::nullopt);
  EXPECT_EQ(c.State(), TFxClient::kStateIdle);
  EXPECT_TRUE(c.HasPattern());
  EXPECT_FALSE(c.Preview()->Image().isNull());
  EXPECT_EQ(CardChecksum(), shown);
  EXPECT_TRUE(prompter.messages.empty());
}

// Whatever goes wrong, the pattern loaded before is gone, the failure is
// reported with the file's name and Play is off.
TEST_F(FxTest, FailedImageDiscardsThePatternAndReportsTheFile) {
  const std::string good = WritePattern("good.tga");
  const std::string shortFile = Path("short.tga");
  const std::string badHeader = Path("mapped.tga");
  std::filesystem::copy_file(good, shortFile);
  std::filesystem::resize_file(shortFile, 40);
  std::filesystem::copy_file(good, badHeader);
  {
    std::fstream f(badHeader, std::ios::in | std::ios::out | std::ios::binary);
    f.seekp(2);
    f.put(static_cast<char>(1));  // colour-mapped without a map: no reader takes it
  }
  const struct {
    std::string path;
    std::string text;
  } cases[] = {
      {Path("missing.tga"), "Can not open file '" + Path("missing.tga") + "'"},
      {shortFile, "Can not read file '" + shortFile + "'"},
      {badHeader, "Bad file '" + badHeader + "'"},
  };
  TFxClient& c = Start();
  for (const auto& f : cases) {
    ChooseImage(good);
    ASSERT_EQ(c.State(), TFxClient::kStateIdle);
    prompter.messages.clear();
    ChooseImage(f.path);
    ASSERT_EQ(prompter.messages.size(), 1u) << f.path;
    EXPECT_EQ(prompter.messages[0].text, f.text);
    EXPECT_EQ(prompter.messages[0].caption, "Load Image");
    EXPECT_EQ(prompter.messages[0].style, kMbIconExclamation);
    EXPECT_EQ(c.State(), TFxClient::kStateNoPattern) << f.path;
    EXPECT_FALSE(c.HasPattern());
    EXPECT_EQ(Switched(), (Enabled{true, true, true, false, false}));
    EXPECT_TRUE(c.Preview()->Image().isNull()) << "no stale picture in the preview";
    EXPECT_TRUE(Device.Pattern().empty());
  }
}

TEST_F(FxTest, CardThatCannotBeOpenedEndsTheProgramWithItsMessage) {
  // A library the user names is the only one tried, a broken one too.
  const std::string broken = CardLibraryPath("liborvinter_without_flush.so");
  const struct {
    std::initializer_list<ScopedCardEnv::Setting> settings;
    const char* library;
    const char* text;
  } cases[] = {
      {{{"ORVINTER_SIM_STATUS", "0"}}, nullptr, "There is no 'Orvane' device/driver"},
      {{}, "liborvinter-missing.so", "There is no 'Orvane' device/driver"},
      {{{"ORVINTER_SIM_UNAVAILABLE", "2"}}, nullptr, "Can not attach hardware resources"},
      {{{"ORVINTER_SIM_FRAME_SIZE", "640x481"}},
       nullptr,
       "Invalid video parameters (f.e. width and height of image)"},
      // The input window decides which scale is the frame.
      {{{"ORVINTER_SIM_ENABLED_WINDOW", "4"}, {"ORVINTER_SIM_INPUT_SIZE", "640x481"}},
       nullptr,
       "Invalid video parameters (f.e. width and height of image)"},
      {{}, "liborvinter_without_flush.so", "There is no 'Orvane' device/driver"},
      {{{kOrvinterLibraryVariable, broken.c_str()}}, nullptr, "There is no 'Orvane' device/driver"},
  };
  for (const auto& c : cases) {
    prompter.messages.clear();
    closed = 0;
    SetOrvinterLibraryName(c.library ? c.library : kOrvinterLibraryName);
    Start(c.settings);
    ASSERT_EQ(prompter.messages.size(), 1u) << c.text;
    EXPECT_EQ(prompter.messages[0].text, c.text);
    EXPECT_EQ(prompter.messages[0].caption, "Init Orvane");
    EXPECT_EQ(closed, 1) << c.text;
    EXPECT_FALSE(frame->isVisible());
    EXPECT_FALSE(Device.LibraryLoaded()) << c.text;
    frame.reset();
  }
}

TEST_F(FxTest, VersionQuestionAnsweredCancelEndsTheProgramSilently) {
  prompter.answers = {false};
  Start({{"ORVINTER_SIM_VERSION", "1071"}});
  ASSERT_EQ(prompter.questions.size(), 1u);
  EXPECT_EQ(prompter.questions[0].text, "You have different version of Orvane DLL\nWork anyway?");
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(closed, 1);
  EXPECT_FALSE(frame->isVisible());
  EXPECT_FALSE(Device.LibraryLoaded());
}

TEST_F(FxTest, VersionQuestionAnsweredOkWorksOn) {
  prompter.answers = {true};
  TFxClient& c = Start({{"ORVINTER_SIM_VERSION", "1071"}});
  EXPECT_EQ(prompter.questions.size(), 1u);
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(Device.Initialised());
  EXPECT_EQ(c.State(), TFxClient::kStateNoPattern);

  // Only the set-up's own failure message ends the program.
  EXPECT_TRUE(SendPrivateMessage(&c, WM_DEVICEFAILURE, 8, kErrNoDevice));
  Settle();
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(closed, 0);
  EXPECT_TRUE(Device.Initialised());
}

TEST_F(FxTest, AboutShowsNameAndVersionModally) {
  Start();
  QStringList seen;
  QString cardPath;
  bool modal = false;
  QTimer::singleShot(0, [&] {
    auto* about = qobject_cast<FxAboutDlg*>(QApplication::activeModalWidget());
    if (!about)
      return;
    modal = about->isModal();
    seen << about->windowTitle();
    for (QLabel* label : about->findChildren<QLabel*>()) {
      seen << label->text();
      if (label->objectName() == QStringLiteral("cardLibrary"))
        cardPath = label->toolTip();
    }
    SaveScreenshot(*about, QStringLiteral("about_box"));
    EXPECT_EQ(about->TemplateId(), kAboutDialogId);
    EXPECT_EQ(about->size(),
              QSize(about->MapDialogRect(0, 0, 101, 87).w, about->MapDialogRect(0, 0, 101, 87).h));
    QTest::mouseClick(about->Item(1), Qt::LeftButton);
  });
  Click(kIdAbout);
  EXPECT_TRUE(modal);
  ASSERT_EQ(seen.size(), 4);
  EXPECT_EQ(seen.mid(0, 3), (QStringList{"About Orvane FX", "Orvane FX", "Version 1.0 (beta)"}));
  // Below them, which library plays: here the simulated card, said in words.
  EXPECT_TRUE(seen[3].startsWith("Simulated card: no Orvane card driver was found.\n"))
      << seen[3].toStdString();
  EXPECT_EQ(cardPath.toStdString(), CardLibraryPath());
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr) << "closed by OK";
}

// Exit, Escape and the frame's close box end the program; a running
// playback is stopped before the card closes.
TEST_F(FxTest, ExitEscapeAndCloseBoxEndTheProgram) {
  const char* ways[] = {"exit", "escape", "close box"};
  for (const char* way : ways) {
    for (bool playing : {false, true}) {
      closed = 0;
      TFxClient& c = Start();
      if (playing) {
        ChooseImage(WritePattern("diagonal.tga"));
        Click(kIdPlay);
        ASSERT_TRUE(c.Playing());
        ASSERT_TRUE(c.Player().WorkerRunning());
      }
      const std::string w = way;
      if (w == "exit") {
        Click(kIdExit);
      } else if (w == "escape") {
        QTest::keyClick(c.WidthEdit(), Qt::Key_Escape);
        Settle();
      } else {
        frame->close();
        Settle();
      }
      EXPECT_EQ(closed, 1) << way;
      EXPECT_FALSE(frame->isVisible()) << way;
      frame.reset();  // what the program does once its loop has ended
      EXPECT_FALSE(Device.LibraryLoaded()) << way;
      EXPECT_EQ(StopFlag.load(), 1) << way;
    }
  }
}

// The focus starts on Image, so a key pressed at once does what a user does
// first; Enter in an edit takes what was typed there, as leaving it does.
// Only Exit, Escape and the close box end the program.
TEST_F(FxTest, FirstFocusIsOnImageAndEnterNeverEndsTheProgram) {
  TFxClient& c = Start();
  QWindow* window = frame->windowHandle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(QApplication::focusWidget(), c.Item(kIdImage));
  for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Space}) {
    int asked = 0;
    ScopedFileChooser chooser([&](const FileDialogRequest& request) {
      asked += request.title == "Load Image";
      return std::optional<FileDialogAnswer>();
    });
    QTest::keyClick(window, key);
    Settle();
    EXPECT_EQ(asked, 1) << "key " << key;
    EXPECT_EQ(closed, 0) << "key " << key;
  }

  ChooseImage(WritePattern("diagonal.tga"));
  ASSERT_EQ(c.State(), TFxClient::kStateIdle);
  struct Case {
    QWidget* edit;
    const char* typed;
    const char* taken;
  } cases[] = {{c.WidthEdit(), "300", "255"},
               {c.AlphaEdit(), "007", "7"},
               {c.DurationEdit(), "95", "00:00:03:05"}};
  for (const Case& e : cases) {
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
      if (e.edit == c.DurationEdit()) {
        QTest::mouseDClick(e.edit, Qt::LeftButton);  // digits then come in from the right
      } else {
        e.edit->setFocus();
        static_cast<QLineEdit*>(e.edit)->selectAll();
      }
      for (const char* k = e.typed; *k; ++k)
        QTest::keyClick(window, static_cast<Qt::Key>(Qt::Key_0 + (*k - '0')));
      QTest::keyClick(window, key);
      Settle();
      const QString shown = e.edit == c.DurationEdit() ? c.DurationEdit()->Text()
                                                       : static_cast<QLineEdit*>(e.edit)->text();
      EXPECT_EQ(shown.toStdString(), e.taken) << e.typed << ", key " << key;
      EXPECT_EQ(QApplication::focusWidget(), e.edit) << e.typed;
      EXPECT_EQ(closed, 0) << e.typed << ", key " << key;
    }
  }
  EXPECT_EQ(c.Width(), 255);
  EXPECT_EQ(c.Alpha(), 7);
  EXPECT_EQ(c.DurationMs(), 3167);

  QTest::keyClick(window, Qt::Key_Escape);
  Settle();
  EXPECT_EQ(closed, 1);
}

}  // namespace
