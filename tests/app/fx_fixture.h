#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTest>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/fx_app.h"
#include "app/fx_client.h"
#include "app/fx_templates.h"
#include "app/program_state.h"
#include "app/sdi_dec_frame.h"
#include "controls/int_edit.h"
#include "support/prompter.h"
#include "support/ui/file_dialogs.h"
#include "tests/cardsim/card_library.h"
#include "tests/cardsim/scoped_env.h"
#include "tests/device/device_fixture.h"
#include "wipe/field_split.h"
#include "wipe/builtin_patterns.h"
#include "wipe/grey_image.h"
#include "wipe/targa_writer.h"
#include "wipe/transition_table.h"

// The program's main window against the real simulated card, each test as a
// fresh start: question not asked, no file chosen yet, and a recording
// prompter that answers OK unless told otherwise. The dialog sets the rate
// and the time display itself.
class FxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    VersionQuestionAsked = false;
    SetOrvinterLibraryName(kOrvinterLibraryName);
    ImageFiles.fileName.clear();
    ImageFiles.initialDir.clear();
    ASSERT_TRUE(folder.isValid());
  }
  void TearDown() override {
    frame.reset();
    SetOrvinterLibraryName(kOrvinterLibraryName);
  }

  // Makes and shows the main window; the card is loaded with settings.
  TFxClient& Start(std::initializer_list<ScopedCardEnv::Setting> settings = {}) {
    {
      ScopedCardEnv env(settings);
      frame = CreateMainWindow();
      QObject::connect(frame.get(), &TSDIDecFrame::Closed, [this] { ++closed; });
      ShowMainWindow(*frame, kShowNormal);
      EXPECT_TRUE(QTest::qWaitForWindowExposed(frame.get()));
    }
    QApplication::setActiveWindow(frame.get());
    Settle();
    return *frame->Client();
  }
  TFxClient& Client() { return *frame->Client(); }
  // Started on a card of the given standard, with a pattern loaded.
  TFxClient& StartLoaded(const char* standard = "ntsc") {
    TFxClient& c = Start({{"ORVINTER_SIM_STANDARD", standard}});
    ChooseImage(WritePattern("diagonal.tga"));
    EXPECT_EQ(c.State(), TFxClient::kStateIdle);
    return c;
  }

  // Delivers what was posted: value changes, the device failure, the
  // frame's close after its dialog's.
  static void Settle() {
    for (int i = 0; i < 3; ++i) {
      QCoreApplication::sendPostedEvents();
      QCoreApplication::processEvents();
    }
  }

  void Click(int id) {
    QWidget* item = Client().Item(id);
    ASSERT_NE(item, nullptr) << id;
    QTest::mouseClick(item, Qt::LeftButton);
    Settle();
  }

  // Replaces the edit's text as a user would: select it all, type.
  void Type(TIntEdit* edit, const char* text) {
    edit->setFocus();
    edit->selectAll();
    QTest::keyClicks(edit, QString::fromLatin1(text));
    Settle();
  }

  // The Image command with the file dialog answered (nothing for a cancel).
  void ChooseImage(const std::optional<std::string>& path) {
    ScopedFileChooser chooser([path](const FileDialogRequest&) -> std::optional<FileDialogAnswer> {
      if (!path)
        return std::nullopt;
      return FileDialogAnswer{QString::fromStdString(*path), 1};
    });
    Click(kIdImage);
  }

  // A grey pattern file in the test's folder, values along a diagonal.
  std::string WritePattern(const char* name, int32_t width = 320, int32_t height = 240) {
    GreyImage image;
    image.width = width;
    image.height = height;
    image.pixels = DiagonalPicture(width, height);
    const std::string path = Path(name);
    EXPECT_EQ(WriteTargaGrey(path, image, 24), 0);
    written = image;
    return path;
  }
  std::string Path(const char* name) const {
    return QDir(folder.path()).filePath(QString::fromLatin1(name)).toStdString();
  }

  // What the card shows for the written pattern at alpha and w: the
  // pattern at frame size, field-split, through the transition table.
  uint32_t ExpectedChecksum(int32_t alpha, int32_t w) const {
    std::vector<uint8_t> pattern;
    EXPECT_TRUE(ScaleToFieldSplit(pattern, Device.FrameWidth(), Device.FrameHeight(),
                                  written.pixels.data(), written.width, written.height));
    const std::vector<uint8_t> shown = ExpectedFrame(pattern, alpha, alpha, w);
    return Fnv1a(shown.data(), shown.size());
  }
  static uint32_t CardChecksum() {
    auto checksum = reinterpret_cast<decltype(&::orvsim_alpha_checksum)>(
        Device.LibrarySymbol("orvsim_alpha_checksum"));
    return checksum ? checksum() : 0;
  }

  // The enabled state of the items the states switch, in the order Image,
  // Export, Duration, slider, Play.
  std::vector<bool> Switched() {
    std::vector<bool> enabled;
    for (int id : {kIdImage, kIdExport, kIdDuration, kIdAlphaSlider, kIdPlay})
      enabled.push_back(Client().Item(id)->isEnabled());
    return enabled;
  }

  RecordingPrompter prompter;
  ScopedPrompter scopedPrompter{prompter};
  QTemporaryDir folder;
  GreyImage written;
  std::unique_ptr<TSDIDecFrame> frame;
  int closed = 0;
};
