// What the program does with its command line and with the signals that
// end a desktop session.
#include <gtest/gtest.h>

#include <csignal>

#include "app/close_on_signals.h"
#include "app/command_line.h"
#include "support/error_codes.h"
#include "tests/app/fx_fixture.h"
#include "wipe/ui/image_control.h"

namespace {

using Action = FxCommandLine::Action;

TEST(FxCommandLineTest, ReadsOnePictureAndAnswersHelpAndVersion) {
  const struct {
    std::vector<std::string> args;
    Action action;
    std::string picture;
    std::string problem;
  } cases[] = {
      {{}, Action::Run, "", ""},
      {{"wipe.tga"}, Action::Run, "wipe.tga", ""},
      {{"--", "-odd name.tga"}, Action::Run, "-odd name.tga", ""},
      {{"-"}, Action::Run, "-", ""},
      {{"--help"}, Action::Help, "", ""},
      {{"-h"}, Action::Help, "", ""},
      {{"--version"}, Action::Version, "", ""},
      // Before Qt has taken its options out, help must still answer.
      {{"-platform", "offscreen", "--help"}, Action::Help, "", ""},
      {{"--", "--help"}, Action::Run, "--help", ""},
      {{"--frobnicate"}, Action::Refuse, "", "unknown option '--frobnicate'"},
      {{"a.tga", "b.tga"}, Action::Refuse, "", "one picture at a time, not 2"},
  };
  for (const auto& c : cases) {
    const FxCommandLine line = ParseFxCommandLine(c.args);
    const std::string label = c.args.empty() ? "(none)" : c.args.front();
    EXPECT_EQ(line.action, c.action) << label;
    EXPECT_EQ(line.picture, c.picture) << label;
    EXPECT_EQ(line.problem, c.problem) << label;
  }
}

TEST_F(FxTest, PictureFromTheCommandLineOpensAsImageWould) {
  const std::string path = WritePattern("wipe.tga", 320, 240);
  TFxClient& c = Start();
  OpenPictureOnceShown(*frame, path);
  Settle();
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_EQ(c.State(), TFxClient::kStateIdle);
  EXPECT_EQ(c.Pattern().pixels, written.pixels);
  EXPECT_FALSE(c.Preview()->Image().isNull());
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(128, 48));
  EXPECT_EQ(ImageFiles.fileName, path);
  EXPECT_EQ(ImageFiles.initialDir, folder.path().toStdString()) << "the dialog opens beside it";
}

TEST_F(FxTest, PictureFromTheCommandLineThatCannotBeReadIsReportedAsImageWould) {
  const std::string missing = Path("missing.tga");
  TFxClient& c = Start();
  // A relative name is reported whole, as a chosen file is.
  const std::filesystem::path before = std::filesystem::current_path();
  std::filesystem::current_path(folder.path().toStdString());
  OpenPictureOnceShown(*frame, "missing.tga");
  Settle();
  std::filesystem::current_path(before);
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].text, "Can not open file '" + missing + "'");
  EXPECT_EQ(prompter.messages[0].caption, "Load Image");
  EXPECT_EQ(c.State(), TFxClient::kStateNoPattern);
}

TEST_F(FxTest, PictureIsNotOpenedWhenTheCardCouldNotBe) {
  const std::string path = WritePattern("wipe.tga");
  Start({{"ORVINTER_SIM_STATUS", "0"}});
  ASSERT_EQ(closed, 1);
  prompter.messages.clear();
  OpenPictureOnceShown(*frame, path);
  Settle();
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_FALSE(frame->Client()->HasPattern());
}

TEST_F(FxTest, EndingSignalClosesTheWindowAsItsCloseBoxDoes) {
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    closed = 0;
    TFxClient& c = Start();
    ChooseImage(WritePattern("wipe.tga"));
    Click(kIdPlay);
    ASSERT_TRUE(c.Playing());
    {
      CloseOnSignals endings(frame.get());
      ASSERT_TRUE(endings.Active());
      ASSERT_EQ(raise(signal), 0);
      for (int i = 0; i < 20 && closed == 0; ++i) {
        QTest::qWait(10);
        Settle();
      }
    }
    EXPECT_EQ(closed, 1) << signal;
    EXPECT_FALSE(frame->isVisible()) << signal;
    frame.reset();
    EXPECT_FALSE(Device.LibraryLoaded()) << signal << ": the card is closed";
  }
}

}  // namespace
