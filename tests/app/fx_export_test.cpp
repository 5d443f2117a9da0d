// The Export command end to end: file choices answered through the chooser
// seam, the real export engine, the progress dialog, the real simulated card.
#include <unistd.h>

#include <QMenu>
#include <QTimer>
#include <QWindow>
#include <cmath>
#include <cstring>
#include <functional>
#include <map>

#include "avi/export.h"
#include "avi/ui/termometer_control.h"
#include "avi/ui/termometer_dialog.h"
#include "controls/time_code_edit.h"
#include "tests/app/fx_fixture.h"
#include "tests/avi/export_test_support.h"
#include "wipe/scale_grey_image.h"

namespace {

using avitest::Bytes;
using exporttest::Block;

class FxExportTest : public FxTest {
 protected:
  void TearDown() override {
    AviFiles.fileName.clear();
    AviFiles.initialDir.clear();
    FxTest::TearDown();
  }

  // Runs Export with each dialog, by title, answered with a path or
  // cancelled (a title not in answers is cancelled).
  void Export(const std::map<std::string, std::string>& answers) {
    ScopedFileChooser chooser(
        [answers](const FileDialogRequest& request) -> std::optional<FileDialogAnswer> {
          const auto it = answers.find(request.title.toStdString());
          if (it == answers.end())
            return std::nullopt;
          return FileDialogAnswer{QString::fromStdString(it->second), 1};
        });
    Click(kIdExport);
  }

  // A card recording of frames frames, each with one video field block.
  std::string WriteSource(const char* name, int frames) {
    std::vector<Bytes> list;
    for (int i = 0; i < frames; ++i)
      list.push_back(avitest::DeviceFrame(static_cast<uint32_t>(i + 1), 40 + i));
    const std::string path = Path(name);
    avitest::WriteAll(path, avitest::SimpleAvi(list, FourCC("ORVD")).Build());
    return path;
  }

  void LoadPattern() {
    ChooseImage(WritePattern("wipe.tga"));
    ASSERT_EQ(Client().State(), TFxClient::kStateIdle);
  }

  // The alpha the first field of frame i must carry.
  Bytes ExpectedFirstField(int32_t i, int32_t frames) {
    int32_t p1 = 0, p2 = 0;
    ExportFieldPositions(i, frames, Client().Width(), p1, p2);
    const size_t fieldBytes = Device.Pattern().size() / 2;
    return exporttest::ExpectedAlpha(Device.Pattern().data(), fieldBytes, p1, Client().Width());
  }
};

TEST_F(FxExportTest, WipeWithSourceKeepsItsVideoAndAddsAlphaOfBothFields) {
  Start();
  LoadPattern();
  const std::string source = WriteSource("source.avi", 3);
  const std::string out = Path("wipe.avi");
  Export({{"Source AVI with JPEG", source}, {"Save AVI", out}});
  EXPECT_TRUE(prompter.messages.empty());

  // The source runs at 25 frames a second: one second of wipe is 25 frames.
  const auto frames = exporttest::ReadBlocks(out);
  ASSERT_EQ(frames.size(), 25u);
  const std::vector<uint32_t> withVideo = {kVideoFieldBlock, kAlphaFieldBlock,
                                           kAlphaFieldBlock | kSecondFieldBit};
  const std::vector<uint32_t> alphaOnly = {kAlphaFieldBlock, kAlphaFieldBlock | kSecondFieldBit};
  for (size_t i = 0; i < frames.size(); ++i)
    EXPECT_EQ(exporttest::Tags(frames[i]), i < 3 ? withVideo : alphaOnly) << i;
  EXPECT_EQ(frames[1][0].payload.size(), 41u) << "the source's video is copied whole";

  const int32_t w = Device.FrameWidth(), lines = Device.FrameHeight() / 2;
  for (int32_t i : {0, 12, 24}) {
    const Block& first = frames[static_cast<size_t>(i)][i < 3 ? 1 : 0];
    EXPECT_EQ(exporttest::DecodeAlphaBlock(first, w, lines), ExpectedFirstField(i, 25)) << i;
  }
  EXPECT_EQ(AviFiles.fileName, out);
}

TEST_F(FxExportTest, WipeWithoutSourceCarriesAlphaOnlyAtTheCardsRate) {
  Start();
  LoadPattern();
  const std::string out = Path("alpha.avi");
  Export({{"Save AVI", out}});
  EXPECT_TRUE(prompter.messages.empty());
  AVIVideoData written(out);
  ASSERT_EQ(written.GetStatus(), 0);
  EXPECT_EQ(written.GetFrameCount(), MsToFrames(1000, FrameRate));
  EXPECT_EQ(written.GetMainHeader().width, static_cast<uint32_t>(Device.FrameWidth()));
  EXPECT_EQ(written.GetMainHeader().height, static_cast<uint32_t>(Device.FrameHeight()));
  for (const auto& blocks : exporttest::ReadBlocks(out))
    ASSERT_EQ(blocks.size(), 2u);
}

TEST_F(FxExportTest, CancelledSaveWritesNothing) {
  Start();
  LoadPattern();
  Export({});
  EXPECT_TRUE(prompter.messages.empty());
  EXPECT_TRUE(QDir(QString::fromStdString(Path(""))).entryList({"*.avi"}).isEmpty());
}

// The preview menu's render: the dialog's wipe at the card's size and rate,
// a picture name written as a numbered sequence, the Reverse mark running
// it from the far end.
TEST_F(FxExportTest, RenderMatteVideoWritesTheDialogsWipeAtTheCardsSize) {
  Start();
  LoadPattern();
  Client().DurationEdit()->SetTime(200, false);
  Client().ReverseAction()->setChecked(true);
  std::string title;
  {
    ScopedFileChooser chooser([&](const FileDialogRequest& request) {
      title = request.title.toStdString();
      return std::optional<FileDialogAnswer>{
          FileDialogAnswer{QString::fromStdString(Path("matte.png")), 4}};
    });
    QMenu menu;
    Client().AddPreviewMenuActions(menu);
    ASSERT_TRUE(Client().RenderAction()->isEnabled());
    Client().RenderAction()->trigger();
  }
  EXPECT_EQ(title, "Render Matte Video");
  EXPECT_TRUE(prompter.messages.empty());

  const int32_t w = Client().Width();
  const int32_t lo = -(w / 2), hi = 255 + w / 2;
  const int32_t n = MsToFrames(200, FrameRate);
  ASSERT_GT(n, 2);
  const int32_t fw = Device.FrameWidth(), fh = Device.FrameHeight();
  Bytes scaled(static_cast<size_t>(fw) * fh);
  const GreyImage& pattern = Client().Pattern();
  ScaleGreyImage(scaled.data(), fw, fh, pattern.pixels.data(), pattern.width, pattern.height);
  const QStringList names =
      QDir(QString::fromStdString(Path(""))).entryList({"matte-*.png"}, QDir::Files, QDir::Name);
  ASSERT_EQ(names.size(), n);
  for (int32_t k = 0; k < n; ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(names[k], QString::asprintf("matte-%04d.png", k));
    const QImage frame(QString::fromStdString(Path(names[k].toLatin1().constData())));
    ASSERT_EQ(frame.format(), QImage::Format_Grayscale8);
    ASSERT_EQ(frame.size(), QSize(fw, fh));
    const int32_t forward = n - 1 - k;
    const int32_t p = lo + static_cast<int32_t>(std::floor(
                               static_cast<double>(forward) * (hi - lo) / (n - 1) + 0.5));
    const Bytes expected = exporttest::ExpectedAlpha(scaled.data(), scaled.size(), p, w);
    for (int32_t y = 0; y < fh; ++y) {
      ASSERT_EQ(std::memcmp(frame.constScanLine(y), expected.data() + static_cast<size_t>(y) * fw,
                            static_cast<size_t>(fw)),
                0)
          << "row " << y;
    }
  }
}

TEST_F(FxExportTest, CancelInTheProgressDialogKeepsAValidFileOfTheFramesWritten) {
  Start();
  LoadPattern();
  const std::string out = Path("cancelled.avi");
  // While the export runs, the progress dialog lets pending events through
  // after every frame: press Escape in it once the fifth frame is shown.
  QTimer watcher;
  bool pressed = false;
  QObject::connect(&watcher, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* dialog = qobject_cast<TermometerDialog*>(w);
      if (!pressed && dialog && dialog->Showing() && dialog->Bar()->Position() >= 5) {
        pressed = true;
        QTest::keyClick(dialog, Qt::Key_Escape);
      }
    }
  });
  watcher.start(0);
  Export({{"Save AVI", out}});
  watcher.stop();
  ASSERT_TRUE(pressed);
  EXPECT_TRUE(prompter.messages.empty()) << "a cancel shows nothing";
  AVIVideoData written(out);
  ASSERT_EQ(written.GetStatus(), 0);
  EXPECT_EQ(written.GetFrameCount(), 5);
}

TEST_F(FxExportTest, WithoutPatternMasksAreCombinedWithTheSourceUntilOneIsMissing) {
  Start();
  ASSERT_EQ(Client().State(), TFxClient::kStateNoPattern);
  const std::string source = WriteSource("rec.avi", 4);
  GreyImage mask;
  ASSERT_TRUE(RenderBuiltinPattern("radial-out", 64, 128, mask));
  ASSERT_EQ(WriteTargaGrey(Path("m001.tga"), mask, 24), 0);
  ASSERT_EQ(WriteTargaGrey(Path("m002.tga"), mask, 32), 0);
  const std::string out = Path("masked.avi");
  Export({{"Source AVI with JPEG", source},
          {"First TARGA with mask", Path("m001.tga")},
          {"Save AVI", out}});
  EXPECT_TRUE(prompter.messages.empty());
  const auto frames = exporttest::ReadBlocks(out);
  ASSERT_EQ(frames.size(), 2u);
  const std::vector<uint32_t> tags = {kVideoFieldBlock, kMaskFieldBlock,
                                      kMaskFieldBlock | kSecondFieldBit};
  EXPECT_EQ(exporttest::Tags(frames[0]), tags);
  // Equal first bytes per pixel at 24 and 32 bits give equal mask blocks.
  EXPECT_EQ(frames[0][1], frames[1][1]);
  EXPECT_EQ(frames[0][1].payload.size(), 64u * 64u);
  EXPECT_EQ(ImageFiles.fileName, Path("m003.tga"));
}

TEST_F(FxExportTest, MaskExportWithoutUsableSourceSaysNoFile) {
  Start();
  Export({{"Source AVI with JPEG", Path("missing.avi")},
          {"First TARGA with mask", Path("m001.tga")},
          {"Save AVI", Path("x.avi")}});
  ASSERT_EQ(prompter.messages.size(), 1u);
  EXPECT_EQ(prompter.messages[0].caption, "Open AVI");
  EXPECT_EQ(prompter.messages[0].text, "No file '" + Path("missing.avi") + "'");
}

TEST_F(FxExportTest, SaveOffersANewNameBesideTheSourceAndRefusesTheSourceItself) {
  Start();
  LoadPattern();
  const std::string source = WriteSource("rec.avi", 3);
  const Bytes recording = avitest::ReadAll(source);
  ASSERT_EQ(symlink(source.c_str(), Path("link.avi").c_str()), 0);

  // The user takes what the Save dialog offers (Enter), then tries to write
  // over the recording itself, by its name and through a link.
  const std::string offered[] = {"", source, Path("link.avi")};
  std::vector<std::string> proposed;
  for (const std::string& answer : offered) {
    prompter.messages.clear();
    ScopedFileChooser chooser(
        [&](const FileDialogRequest& request) -> std::optional<FileDialogAnswer> {
          if (request.title == "Source AVI with JPEG")
            return FileDialogAnswer{QString::fromStdString(source), 1};
          proposed.push_back(request.fileName.toStdString());
          return FileDialogAnswer{
              answer.empty() ? request.fileName : QString::fromStdString(answer), 1};
        });
    Click(kIdExport);
    if (answer.empty()) {
      EXPECT_TRUE(prompter.messages.empty());
      continue;
    }
    ASSERT_EQ(prompter.messages.size(), 1u) << answer;
    EXPECT_EQ(prompter.messages[0].caption, "Write AVI");
    EXPECT_EQ(prompter.messages[0].text,
              "The file '" + answer +
                  "' is the source of this export.\nWrite the new file under another name.");
    EXPECT_EQ(avitest::ReadAll(source), recording) << "the recording is left as it was";
  }
  ASSERT_EQ(proposed.size(), 3u);
  EXPECT_EQ(proposed[0], Path("rec-wipe.avi"));
  EXPECT_EQ(exporttest::ReadBlocks(Path("rec-wipe.avi")).size(), 25u);
  EXPECT_EQ(proposed[1], Path("rec-wipe-2.avi")) << "the first one is taken now";
  EXPECT_TRUE(QDir(QString::fromStdString(Path(""))).entryList({"*.avi.*"}).isEmpty());
}

TEST_F(FxExportTest, DurationOnAPalCardIsCountedInTheCardsFrames) {
  Start({{"ORVINTER_SIM_STANDARD", "pal"}});
  ASSERT_EQ(FrameRate, kPalFrameRate);
  LoadPattern();
  // Typed from the right into the frames, then committed with Space: a
  // second has 25 frames, so the frames field shows 24 at most.
  struct Case {
    const char* typed;
    const char* shown;
    int32_t frames;
  } cases[] = {{"24", "00:00:00:24", 24},
               {"25", "00:00:01:00", 25},
               {"100", "00:00:01:00", 25},
               {"212", "00:00:02:12", 62}};
  TimeCodeEdit* duration = Client().DurationEdit();
  for (const Case& c : cases) {
    QTest::mouseDClick(duration, Qt::LeftButton);
    for (const char* k = c.typed; *k; ++k)
      QTest::keyClick(duration, static_cast<Qt::Key>(Qt::Key_0 + (*k - '0')));
    QTest::keyClick(duration, Qt::Key_Space);
    EXPECT_EQ(duration->Text().toStdString(), c.shown) << c.typed;
    const std::string out = Path("pal.avi");
    Export({{"Save AVI", out}});
    AVIVideoData written(out);
    ASSERT_EQ(written.GetStatus(), 0) << c.typed;
    EXPECT_EQ(written.GetFrameCount(), c.frames) << c.typed;
  }
  EXPECT_TRUE(prompter.messages.empty());
}

// A button's shortcut presses it and clicks it this much later.
constexpr int kShortcutClickMs = 150;

// Runs act once while the export's progress dialog shows frame `at`.
class DuringExport {
 public:
  DuringExport(int32_t at, std::function<void()> act) {
    QObject::connect(&timer_, &QTimer::timeout, [this, at, act] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<TermometerDialog*>(w);
        if (!done && dialog && dialog->Showing() && dialog->Bar()->Position() >= at) {
          done = true;
          act();
        }
      }
    });
    timer_.start(0);
  }
  bool done = false;

 private:
  QTimer timer_;
};

TEST_F(FxExportTest, MainWindowTakesNoInputWhileAnExportRuns) {
  Start();
  LoadPattern();
  const size_t patternBytes = Device.Pattern().size();
  // What Image would load if it ran: a pattern of another size.
  const std::string other = WritePattern("other.tga", 97, 61);
  Client().DurationEdit()->SetTime(3000, false);
  const std::string out = Path("guarded.avi");
  bool exporting = false;
  std::vector<std::string> askedDuringExport;
  ScopedFileChooser chooser(
      [&](const FileDialogRequest& request) -> std::optional<FileDialogAnswer> {
        if (exporting) {
          askedDuringExport.push_back(request.title.toStdString());
          if (request.title == "Load Image")
            return FileDialogAnswer{QString::fromStdString(other), 1};
          return std::nullopt;
        }
        if (request.title == "Save AVI") {
          exporting = true;
          return FileDialogAnswer{QString::fromStdString(out), 1};
        }
        return std::nullopt;
      });
  QWindow* window = frame->windowHandle();
  DuringExport keys(3, [&] {
    // The user switches to the main window and presses what it offers.
    QApplication::setActiveWindow(frame.get());
    for (Qt::Key key : {Qt::Key_I, Qt::Key_P, Qt::Key_E, Qt::Key_X})
      QTest::keyClick(window, key, Qt::AltModifier);
    for (Qt::Key key : {Qt::Key_Return, Qt::Key_Space, Qt::Key_Escape})
      QTest::keyClick(window, key);
    QTest::mouseClick(Client().Item(kIdImage), Qt::LeftButton);
    QTest::mouseClick(Client().Item(kIdPlay), Qt::LeftButton);
    // A shortcut presses its button for a moment before it clicks.
    QTest::qWait(kShortcutClickMs);
  });
  Click(kIdExport);
  exporting = false;
  Settle();
  ASSERT_TRUE(keys.done);
  EXPECT_TRUE(askedDuringExport.empty()) << askedDuringExport.front();
  EXPECT_EQ(closed, 0);
  EXPECT_FALSE(Client().Playing());
  EXPECT_EQ(Device.Pattern().size(), patternBytes);
  EXPECT_TRUE(prompter.messages.empty());
  AVIVideoData written(out);
  ASSERT_EQ(written.GetStatus(), 0);
  EXPECT_EQ(written.GetFrameCount(), MsToFrames(3000, FrameRate)) << "the export ran to its end";

  // Once it has ended the window takes its keys again.
  exporting = true;
  QApplication::setActiveWindow(frame.get());
  QTest::keyClick(window, Qt::Key_I, Qt::AltModifier);
  QTest::qWait(kShortcutClickMs);
  Settle();
  EXPECT_EQ(askedDuringExport, std::vector<std::string>{"Load Image"});
}

TEST_F(FxExportTest, ClosingTheMainWindowDuringAnExportCancelsItKeepingTheFramesWritten) {
  Start();
  LoadPattern();
  Client().DurationEdit()->SetTime(3000, false);
  const std::string out = Path("closed.avi");
  bool stayedOpen = false;
  DuringExport close(5, [&] {
    frame->windowHandle()->close();
    stayedOpen = closed == 0 && frame->isVisible();
  });
  Export({{"Save AVI", out}});
  ASSERT_TRUE(close.done);
  EXPECT_TRUE(stayedOpen) << "not before the export has ended";
  Settle();
  EXPECT_EQ(closed, 1) << "then the program ends";
  EXPECT_TRUE(prompter.messages.empty()) << "a cancel shows nothing";
  AVIVideoData written(out);
  ASSERT_EQ(written.GetStatus(), 0);
  EXPECT_GE(written.GetFrameCount(), 5);
  EXPECT_LT(written.GetFrameCount(), MsToFrames(3000, FrameRate));
}

}  // namespace
