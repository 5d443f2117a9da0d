#include "support/ui/file_dialogs.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <vector>

namespace {

constexpr const char* kTarga = "TARGA Files (*.tga)|*.tga|All Files (*.*)|*.*";

TEST(FileDialogsTest, FiltersTakeQtsFormAndAllFilesMeansEveryFile) {
  EXPECT_EQ(QtNameFilters(kTarga), (QStringList{"TARGA Files (*.tga)", "All Files (*)"}));
  EXPECT_EQ(QtNameFilters("Masks|*.tga;*.targa"), QStringList{"Masks (*.tga *.targa)"});
}

TEST(FileDialogsTest, EachDialogOpensOnTheRecordAndOnlyAConfirmedChoiceChangesIt) {
  std::vector<std::optional<FileDialogAnswer>> answers = {
      FileDialogAnswer{"/home/Ann/Clips/Wipe01", 1}, std::nullopt, FileDialogAnswer{QString(), 1},
      FileDialogAnswer{"/home/Ann/Out/x.avi", 2}};
  std::vector<FileDialogRequest> requests;
  ScopedFileChooser seam([&](const FileDialogRequest& request) {
    requests.push_back(request);
    auto answer = answers.front();
    answers.erase(answers.begin());
    return answer;
  });
  FileData data(kTarga, "tga");
  QWidget owner;

  ASSERT_TRUE(ChooseOpenFile(data, &owner, "Load Image"));
  EXPECT_EQ(data.fileName, "/home/Ann/Clips/Wipe01.tga");
  EXPECT_EQ(data.initialDir, "/home/Ann/Clips");
  EXPECT_FALSE(ChooseSaveFile(data, &owner, "Save AVI")) << "cancelled";
  EXPECT_FALSE(ChooseOpenFile(data, &owner, "Load Image")) << "an empty answer is no choice";
  EXPECT_EQ(data.fileName, "/home/Ann/Clips/Wipe01.tga");
  EXPECT_EQ(data.filterIndex, 1);
  ASSERT_TRUE(ChooseSaveFile(data, &owner, "Save AVI"));
  EXPECT_EQ(data.filterIndex, 2);
  EXPECT_EQ(data.initialDir, "/home/Ann/Out");

  ASSERT_EQ(requests.size(), 4u);
  EXPECT_EQ(requests[0].mode, FileDialogMode::Open);
  EXPECT_EQ(requests[0].parent, &owner);
  EXPECT_EQ(requests[0].title, "Load Image");
  EXPECT_TRUE(requests[0].directory.isEmpty());
  EXPECT_EQ(requests[0].defaultSuffix, "tga");
  EXPECT_FALSE(requests[0].confirmOverwrite);
  EXPECT_EQ(requests[1].mode, FileDialogMode::Save);
  EXPECT_EQ(requests[1].directory, "/home/Ann/Clips");
  EXPECT_EQ(requests[1].fileName, "/home/Ann/Clips/Wipe01.tga");
  EXPECT_TRUE(requests[1].confirmOverwrite);
  EXPECT_EQ(requests[3].fileName, "/home/Ann/Clips/Wipe01.tga") << "the cancels kept it";
}

// Acts on the real dialog once it is up.
void WhenDialogShows(std::function<void(QFileDialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

void TypeNameAndConfirm(QFileDialog& dialog, const QString& name) {
  auto* edit = dialog.findChild<QLineEdit*>("fileNameEdit");
  ASSERT_NE(edit, nullptr);
  edit->clear();
  QTest::keyClicks(edit, name);
  QTest::keyClick(edit, Qt::Key_Return);
}

class QtFileDialogTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    clips = dir.path() + "/Clips";
    ASSERT_TRUE(QDir().mkpath(clips));
    QFile file(clips + "/Wipe01.tga");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    data.initialDir = QFile::encodeName(clips).toStdString();
  }
  QTemporaryDir dir;
  QString clips;
  FileData data{kTarga, "tga"};
};

TEST_F(QtFileDialogTest, OpenShowsTheRememberedFolderAndTakesATypedName) {
  QString seenDirectory, seenFilter, seenTitle;
  WhenDialogShows([&](QFileDialog& dialog) {
    seenDirectory = dialog.directory().absolutePath();
    seenFilter = dialog.selectedNameFilter();
    seenTitle = dialog.windowTitle();
    TypeNameAndConfirm(dialog, "Wipe01");  // the default suffix completes it
  });
  ASSERT_TRUE(ChooseOpenFile(data, nullptr, "Load Image"));
  EXPECT_EQ(seenDirectory, clips);
  EXPECT_EQ(seenFilter, "TARGA Files (*.tga)");
  EXPECT_EQ(seenTitle, "Load Image");
  EXPECT_EQ(QString::fromStdString(data.fileName), clips + "/Wipe01.tga");
  EXPECT_EQ(QString::fromStdString(data.initialDir), clips) << "the case is kept";

  WhenDialogShows([](QFileDialog& dialog) { QTest::keyClick(&dialog, Qt::Key_Escape); });
  EXPECT_FALSE(ChooseOpenFile(data, nullptr, "Load Image"));
  EXPECT_EQ(QString::fromStdString(data.fileName), clips + "/Wipe01.tga");
}

TEST_F(QtFileDialogTest, SaveOverAnExistingFileAsksFirst) {
  for (const bool replace : {false, true}) {
    bool asked = false;
    WhenDialogShows([&](QFileDialog& dialog) {
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        asked = true;
        box->button(replace ? QMessageBox::Yes : QMessageBox::No)->click();
        // Declined, the file dialog is still up: give up there.
        if (!replace)
          QTimer::singleShot(0, &dialog, &QFileDialog::reject);
      });
      TypeNameAndConfirm(dialog, "Wipe01.tga");
    });
    EXPECT_EQ(ChooseSaveFile(data, nullptr, "Save AVI"), replace);
    EXPECT_TRUE(asked);
    EXPECT_EQ(data.fileName.empty(), !replace);
  }
}

TEST_F(QtFileDialogTest, SaveIntoAFolderThatDoesNotExistIsRefusedInTheDialog) {
  struct Case {
    const char* typed;
    bool refused;
  } cases[] = {{"nosuch/out.avi", true}, {"Clips/nosuch/out.avi", true}, {"out.avi", false}};
  for (const Case& c : cases) {
    data.fileName.clear();
    QString said;
    bool stillOpen = false;
    WhenDialogShows([&](QFileDialog& dialog) {
      QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
          return;
        said = box->text();
        EXPECT_EQ(box->textFormat(), Qt::PlainText);
        box->button(QMessageBox::Ok)->click();
        // Refused, the file dialog is still up for another choice: give up.
        QTimer::singleShot(0, &dialog, [&] {
          stillOpen = dialog.isVisible();
          dialog.reject();
        });
      });
      dialog.setDirectory(dir.path());
      TypeNameAndConfirm(dialog, c.typed);
    });
    EXPECT_EQ(ChooseSaveFile(data, nullptr, "Save AVI"), !c.refused) << c.typed;
    EXPECT_EQ(stillOpen, c.refused) << c.typed;
    EXPECT_EQ(said.contains(QString::fromLatin1(c.typed)), c.refused) << said.toStdString();
    EXPECT_EQ(data.fileName.empty(), c.refused) << c.typed;
  }
}

}  // namespace
