#pragma once

#include <QString>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

#include "support/file_data.h"

// The open and save dialogs, on a FileData record: each opens on the
// record's folder and last choice with its filter selected, and a confirmed
// choice is written back into the record (ApplyChosenFile). A cancelled
// dialog, or one that cannot be shown, leaves the record as it was.

enum class FileDialogMode { Open, Save };

// Everything a file dialog is shown with, in Qt's terms.
struct FileDialogRequest {
  FileDialogMode mode = FileDialogMode::Open;
  QWidget* parent = nullptr;
  QString title;
  QString directory;        // may be empty
  QString fileName;         // the previous choice; may be empty
  QStringList nameFilters;  // "TARGA Files (*.tga)", ...
  int selectedFilter = 0;   // index into nameFilters
  QString defaultSuffix;    // "tga"
  bool confirmOverwrite = false;
  // A file to write must go into a folder that exists; the dialog says so
  // and stays open otherwise.
  bool pathMustExist = false;
};

struct FileDialogAnswer {
  QString path;
  int filterIndex = 1;  // the filter the file was chosen with, from 1
};

// Shows the request and returns the user's choice, or nothing for a cancel.
using FileChooser = std::function<std::optional<FileDialogAnswer>(const FileDialogRequest&)>;

// The chooser behind ChooseOpenFile/ChooseSaveFile: QFileDialog unless a
// test has put its own in place. Returns the previous one; an empty chooser
// puts QFileDialog back.
FileChooser SetFileChooser(FileChooser chooser);

class ScopedFileChooser {
 public:
  explicit ScopedFileChooser(FileChooser chooser) : previous_(SetFileChooser(std::move(chooser))) {}
  ~ScopedFileChooser() { SetFileChooser(std::move(previous_)); }
  ScopedFileChooser(const ScopedFileChooser&) = delete;
  ScopedFileChooser& operator=(const ScopedFileChooser&) = delete;

 private:
  FileChooser previous_;
};

// The modal QFileDialog for a request.
std::optional<FileDialogAnswer> RunQtFileDialog(const FileDialogRequest& request);

// "A (*.a)|*.a|All Files (*.*)|*.*" in Qt's form. Each pattern list goes in
// the parentheses Qt reads; "*.*", which on this platform would miss a file
// without a dot, becomes "*".
QStringList QtNameFilters(std::string_view filterList);

FileDialogRequest MakeFileDialogRequest(const FileData& data, FileDialogMode mode, QWidget* parent,
                                        const QString& title, const std::string& proposedName = {});

// True when the user confirmed a file; the record then holds it.
bool ChooseOpenFile(FileData& data, QWidget* parent, const QString& title);
// The same for a file to write; an existing file is confirmed first. A
// proposed name, when given, is offered instead of the record's last choice
// (which is often the file just read).
bool ChooseSaveFile(FileData& data, QWidget* parent, const QString& title,
                    const std::string& proposedName = {});
