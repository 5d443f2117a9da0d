// The preview as a user meets it: it plays along with the card, it can be
// dragged across to move Alpha, a picture can be dropped on the window, the
// wheel steps the edits, and the first Image dialog opens on the patterns
// the program comes with.
#include <gtest/gtest.h>

#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>
#include <QMouseEvent>
#include <QUrl>
#include <QWheelEvent>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <functional>

#include "app/pattern_library.h"
#include "controls/ev_slider.h"
#include "controls/time_code_edit.h"
#include "tests/app/fx_fixture.h"
#include "tests/device/play_tables.h"
#include "wipe/builtin_patterns.h"
#include "wipe/ui/image_control.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

class FxPreviewTest : public FxTest {
 protected:
  const PlayTable& Table() const { return FrameRate == kPalFrameRate ? kPalTable : kNtscTable; }

  // The left button at client column x of the preview: pressed there, or
  // moved there while held.
  void Scrub(QEvent::Type type, int32_t x) {
    ImageControl* preview = Client().Preview();
    const QPointF at(preview->contentsRect().left() + x, preview->height() / 2);
    const Qt::MouseButtons held =
        type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, preview->mapToGlobal(at), Qt::LeftButton, held, Qt::NoModifier);
    QCoreApplication::sendEvent(preview, &event);
    Settle();
  }

  static void Wheel(QWidget* target, QPoint at, int notches, Qt::KeyboardModifiers modifiers) {
    QWheelEvent event(at, target->mapToGlobal(at), QPoint(),
                      QPoint(0, notches * QWheelEvent::DefaultDeltasPerStep), Qt::NoButton,
                      modifiers, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(target, &event);
    Settle();
  }

  // Drags files over the dialog and drops them there; whether the dialog
  // took the drag.
  bool Drop(const QList<QUrl>& urls) {
    QMimeData data;
    data.setUrls(urls);
    const QPoint at = Client().rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Client(), &enter);
    if (!enter.isAccepted())
      return false;
    QDropEvent drop(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(&Client(), &drop);
    Settle();
    return true;
  }
};

class FxPreviewPlayTest : public FxPreviewTest,
                          public ::testing::WithParamInterface<const char*> {};

// While playing, the preview shows one of the fields of the frame queued
// last, or of the one before when the worker has just queued another. It
// is never behind for 100 ms: it changes at least that often, except while
// the edge stands beyond the picture at the turn of the passes, where one
// frame after the other looks the same and there is nothing new to show.
TEST_P(FxPreviewPlayTest, PreviewFollowsTheQueuedFramesAndReturnsToTheStillPicture) {
  TFxClient& c = StartLoaded(GetParam());
  const ImageControl& preview = *c.Preview();
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  EXPECT_TRUE(c.Follower().Following());

  const auto showsField = [&](int32_t n, int32_t w) {
    const FieldPositions at = TableFrame(Table(), n);
    return n >= 0 && (preview.ColorTable() == PreviewColorTable(at.p1, w) ||
                      preview.ColorTable() == PreviewColorTable(at.p2, w));
  };
  std::array<uint16_t, kPreviewLevels> shown = preview.ColorTable();
  // When the preview last changed, or last showed the newest frame.
  Clock::time_point current = Clock::now();
  Clock::duration longest{};
  int changes = 0;
  const Clock::time_point end = current + milliseconds(1500);
  while (Clock::now() < end) {
    QTest::qWait(1);
    const QueuedFrame last = c.Player().LastQueued();
    ASSERT_GE(last.number, 0);
    const Clock::time_point now = Clock::now();
    if (preview.ColorTable() != shown) {
      shown = preview.ColorTable();
      ++changes;
      EXPECT_EQ(last.positions, TableFrame(Table(), last.number));
      EXPECT_TRUE(showsField(last.number, last.width) || showsField(last.number - 1, last.width))
          << "change " << changes << ", frame " << last.number << " queued last";
      current = now;
    } else if (showsField(last.number, last.width)) {
      current = now;
    }
    longest = std::max(longest, now - current);
  }
  std::printf("%s: %d changes in 1.5 s, at most %.1f ms behind\n", GetParam(), changes,
              std::chrono::duration<double, std::milli>(longest).count());
  EXPECT_LT(longest, milliseconds(100)) << changes << " changes";
  EXPECT_GE(changes, 15);

  Click(kIdPlay);
  ASSERT_FALSE(c.Playing());
  EXPECT_FALSE(c.Follower().Following());
  EXPECT_EQ(preview.ColorTable(), PreviewColorTable(128, 48)) << "the still picture at Alpha";
  QTest::qWait(100);
  EXPECT_EQ(preview.ColorTable(), PreviewColorTable(128, 48)) << "and it stays";
  EXPECT_TRUE(prompter.messages.empty());
}

INSTANTIATE_TEST_SUITE_P(Standards, FxPreviewPlayTest, ::testing::Values("ntsc", "pal"));

TEST_F(FxPreviewTest, DragAcrossThePreviewMovesAlphaLiveFromItsLowestToItsHighest) {
  TFxClient& c = StartLoaded();
  const int32_t last = c.Preview()->ClientWidth() - 1;
  ASSERT_GT(last, 50);
  // One column of the preview is worth this much Alpha.
  const double column = 303.0 / last;
  const struct {
    QEvent::Type type;
    int32_t column;
    double alpha;
    double tolerance;
  } steps[] = {
      {QEvent::MouseButtonPress, 0, -24, 0},
      {QEvent::MouseMove, last, 279, 0},
      {QEvent::MouseMove, last / 2, 127.5, column},
      {QEvent::MouseMove, last / 4, 51.75, column},
      {QEvent::MouseMove, -40, -24, 0},        // past the left edge
      {QEvent::MouseMove, last + 40, 279, 0},  // past the right edge
      {QEvent::MouseButtonRelease, last + 40, 279, 0},
  };
  for (const auto& s : steps) {
    Scrub(s.type, s.column);
    EXPECT_NEAR(c.Alpha(), s.alpha, s.tolerance) << s.column;
    EXPECT_EQ(c.AlphaEdit()->GetValue(), c.Alpha());
    EXPECT_EQ(c.AlphaSlider()->GetValue(), c.Alpha());
    EXPECT_EQ(c.Preview()->ColorTable(), PreviewColorTable(c.Alpha(), 48));
    EXPECT_EQ(CardChecksum(), ExpectedChecksum(c.Alpha(), 48)) << s.column;
  }
  // The range follows Width as the slider's does.
  Type(c.WidthEdit(), "0");
  Scrub(QEvent::MouseButtonPress, last);
  EXPECT_EQ(c.Alpha(), 255);
  Scrub(QEvent::MouseButtonRelease, last);
  EXPECT_TRUE(c.Preview()->toolTip().contains(QStringLiteral("Alpha")));
}

TEST_F(FxPreviewTest, WheelStepsEachEditByOneAndByTenWithShift) {
  TFxClient& c = StartLoaded();
  TimeCodeEdit* d = c.DurationEdit();
  const QPoint frames(d->CellLeft(7) + 1, 2), seconds(d->CellLeft(5) + 1, 2), corner(5, 5);
  const auto alpha = [&] { return QString::number(c.Alpha()); };
  const auto width = [&] { return QString::number(c.Width()); };
  const auto duration = [&] { return d->Text(); };
  const Qt::KeyboardModifier none = Qt::NoModifier, shift = Qt::ShiftModifier;
  const struct {
    QWidget* target;
    QPoint at;
    int notches;
    Qt::KeyboardModifier modifier;
    std::function<QString()> read;
    const char* expected;
  } cases[] = {
      {c.AlphaEdit(), corner, 1, none, alpha, "129"},
      {c.AlphaEdit(), corner, -1, none, alpha, "127"},
      {c.AlphaEdit(), corner, 1, shift, alpha, "138"},
      {c.AlphaEdit(), corner, 30, shift, alpha, "279"},
      {c.WidthEdit(), corner, 1, none, width, "49"},
      {c.WidthEdit(), corner, -1, shift, width, "38"},
      {d, frames, 1, none, duration, "00:00:01:01"},
      {d, frames, 1, shift, duration, "00:00:01:10"},
      {d, seconds, -1, none, duration, "00:00:00:00"},
      {d, seconds, 1, shift, duration, "00:00:10:00"},  // the longest pass
      // A page a notch; away from the user moves the thumb up, to lower values.
      {c.AlphaSlider(), corner, 1, none, alpha, "118"},
      {c.AlphaSlider(), corner, -2, none, alpha, "148"},
  };
  for (const auto& k : cases) {
    Type(c.AlphaEdit(), "128");
    Type(c.WidthEdit(), "48");
    d->SetTime(1000, true);
    Wheel(k.target, k.at, k.notches, k.modifier);
    EXPECT_EQ(k.read(), QString::fromLatin1(k.expected))
        << k.target->metaObject()->className() << " " << k.notches << " " << k.modifier;
  }
  // Each change went the way a typed one goes: the card shows it.
  EXPECT_EQ(CardChecksum(), ExpectedChecksum(c.Alpha(), c.Width()));
}

TEST_F(FxPreviewTest, DroppedPictureLoadsAsImageDoes) {
  TFxClient& c = Start();
  const std::string good = WritePattern("diagonal.tga");
  const std::string garbage = Path("garbage.tga");
  std::ofstream(garbage) << "not a picture";
  const std::string missing = Path("missing.tga");

  struct Outcome {
    int state;
    std::string fileName;
    std::vector<std::string> messages;
    QString toolTip;
    bool operator==(const Outcome&) const = default;
  };
  const auto outcome = [&] {
    Outcome o{c.State(), ImageFiles.fileName, {}, c.Preview()->toolTip()};
    for (const auto& m : prompter.messages)
      o.messages.push_back(m.caption + ": " + m.text);
    prompter.messages.clear();
    return o;
  };
  for (const std::string& file : {good, garbage, missing}) {
    ChooseImage(file);
    const Outcome chosen = outcome();
    ASSERT_TRUE(Drop({QUrl::fromLocalFile(QString::fromStdString(file))})) << file;
    EXPECT_EQ(outcome(), chosen) << file;
  }
  // The last was a failure; a good picture dropped now takes the dialog on.
  ASSERT_TRUE(Drop({QUrl(QStringLiteral("https://example.org/x.tga")),
                    QUrl::fromLocalFile(QString::fromStdString(good))}));
  EXPECT_EQ(c.State(), TFxClient::kStateIdle);
  EXPECT_FALSE(c.Preview()->Image().isNull());
  EXPECT_EQ(c.Preview()->toolTip().section(QLatin1Char('\n'), 0, 0),
            QStringLiteral("diagonal.tga, 320 x 240 pixels"));

  EXPECT_FALSE(Drop({QUrl(QStringLiteral("https://example.org/x.tga"))})) << "no local file";
  Click(kIdPlay);
  ASSERT_TRUE(c.Playing());
  EXPECT_FALSE(Drop({QUrl::fromLocalFile(QString::fromStdString(good))})) << "playing";
  Scrub(QEvent::MouseButtonPress, 0);
  EXPECT_EQ(c.Alpha(), 128) << "no drag on the preview while playing either";
  Click(kIdPlay);
  EXPECT_TRUE(prompter.messages.empty());
}

TEST_F(FxPreviewTest, EveryItemHasATipAndTheEmptyPreviewAsksForAPicture) {
  TFxClient& c = Start();
  EXPECT_EQ(c.Preview()->toolTip(), QStringLiteral("Drop a picture here, or choose Image"));
  for (int id : {kIdImage, kIdAbout, kIdExit, kIdAlphaSlider, kIdAlpha, kIdWidth, kIdDuration,
                 kIdPlay, kIdExport}) {
    EXPECT_FALSE(c.Item(id)->toolTip().isEmpty()) << id;
  }
}

// The patterns of the card's standard, until the user has been elsewhere.
TEST_F(FxPreviewTest, FirstImageDialogOpensOnTheBuildsPatternsUnlessAFolderIsKnown) {
  const std::string mine = folder.path().toStdString();
  const QString built = QStringLiteral(ORVANE_BUILT_PATTERNS "/");
  const struct {
    const char* standard;
    std::function<void()> before;
    QString expected;
  } cases[] = {
      {"ntsc", [] {}, built + QStringLiteral("ntsc")},
      {"pal", [] {}, built + QStringLiteral("pal")},
      {"ntsc", [&] { ImageFiles.initialDir = mine; }, folder.path()},
      {"pal", [&] { Client().OpenPicture(WritePattern("mine.tga")); }, folder.path()},
      {"ntsc", [&] { ChooseImage(WritePattern("chosen.tga")); }, folder.path()},
  };
  for (const auto& k : cases) {
    ImageFiles.fileName.clear();
    ImageFiles.initialDir.clear();
    Start({{"ORVINTER_SIM_STANDARD", k.standard}});
    k.before();
    std::vector<QString> opened;
    ScopedFileChooser chooser([&](const FileDialogRequest& r) -> std::optional<FileDialogAnswer> {
      opened.push_back(QFileInfo(r.directory).canonicalFilePath());
      return std::nullopt;
    });
    Click(kIdImage);
    Click(kIdImage);  // a cancel leaves it as it was
    const QString expected = QFileInfo(k.expected).canonicalFilePath();
    ASSERT_FALSE(expected.isEmpty()) << "the build writes the patterns";
    EXPECT_EQ(opened, std::vector<QString>(2, expected)) << k.standard;
    frame.reset();
  }
  const QDir ntsc(built + QStringLiteral("ntsc"));
  EXPECT_EQ(ntsc.entryList({QStringLiteral("*.tga")}, QDir::Files).size(),
            static_cast<qsizetype>(BuiltinPatterns().size()));
}

// Installed beside the program's share folder, or written by the build
// beside its bin folder: the installed one wins where both are.
TEST(PatternLibraryTest, FindsTheInstalledFolderFirstThenTheBuilds) {
  const struct {
    std::vector<const char*> folders;
    float frameRate;
    const char* found;  // below the tree; empty for none
  } cases[] = {
      {{"share/orvane-fx/patterns/ntsc", "packaging/made/patterns/ntsc"},
       kNtscFrameRate,
       "share/orvane-fx/patterns/ntsc"},
      {{"share/orvane-fx/patterns/pal", "packaging/made/patterns/pal"},
       kPalFrameRate,
       "share/orvane-fx/patterns/pal"},
      {{"packaging/made/patterns/ntsc"}, kNtscFrameRate, "packaging/made/patterns/ntsc"},
      {{"share/orvane-fx/patterns/pal"}, kNtscFrameRate, ""},
      {{}, kPalFrameRate, ""},
  };
  for (const auto& c : cases) {
    QTemporaryDir tree;
    ASSERT_TRUE(QDir(tree.path()).mkpath(QStringLiteral("bin")));
    for (const char* f : c.folders)
      ASSERT_TRUE(QDir(tree.path()).mkpath(QString::fromLatin1(f)));
    const std::string bin = tree.filePath(QStringLiteral("bin")).toStdString();
    // The folder as the file system names it, links resolved.
    const QFileInfo found(tree.filePath(QString::fromLatin1(c.found)));
    const std::string expected = *c.found ? found.canonicalFilePath().toStdString() : "";
    EXPECT_EQ(PatternLibraryFolder(bin, c.frameRate), expected) << c.found;
  }
  EXPECT_EQ(PatternLibraryFolder("", kNtscFrameRate), "");
}

}  // namespace
