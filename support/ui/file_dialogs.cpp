#include "support/ui/file_dialogs.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace {

FileChooser& Chooser() {
  static FileChooser chooser;
  return chooser;
}

QString FromPath(const std::string& path) {
  return QFile::decodeName(path.c_str());
}

// A description that already names its patterns in parentheses loses them;
// the converted ones take their place.
QString BaseDescription(const QString& description) {
  const QString trimmed = description.trimmed();
  const qsizetype open = trimmed.lastIndexOf(QLatin1Char('('));
  if (trimmed.endsWith(QLatin1Char(')')) && open > 0)
    return trimmed.left(open).trimmed();
  return trimmed;
}

// Qt's own dialog takes a name to write in a folder that does not exist, and
// the write fails later; this one refuses it while the user can still choose.
class FileDialog : public QFileDialog {
 public:
  FileDialog(QWidget* parent, const QString& title, bool pathMustExist)
      : QFileDialog(parent, title), pathMustExist_(pathMustExist) {}

  void accept() override {
    if (pathMustExist_ && acceptMode() == AcceptSave && RefuseMissingFolder())
      return;
    QFileDialog::accept();
  }

 private:
  // Says so and returns true when the chosen file's folder is missing.
  bool RefuseMissingFolder() {
    const QStringList files = selectedFiles();
    if (files.isEmpty())
      return false;
    const QFileInfo chosen(files.first());
    if (chosen.isDir() || chosen.absoluteDir().exists())
      return false;
    QMessageBox box(
        QMessageBox::Warning, windowTitle(),
        QDir::toNativeSeparators(chosen.absoluteFilePath()) +
            QStringLiteral("\nThe folder does not exist.\nCheck the path and try again."),
        QMessageBox::Ok, this);
    box.setTextFormat(Qt::PlainText);
    box.exec();
    return true;
  }

  bool pathMustExist_;
};

bool ChooseFile(FileData& data, FileDialogMode mode, QWidget* parent, const QString& title,
                const std::string& proposedName = {}) {
  const FileDialogRequest request = MakeFileDialogRequest(data, mode, parent, title, proposedName);
  const FileChooser& chooser = Chooser();
  const std::optional<FileDialogAnswer> answer =
      chooser ? chooser(request) : RunQtFileDialog(request);
  if (!answer || answer->path.isEmpty())
    return false;
  ApplyChosenFile(data, QFile::encodeName(answer->path).toStdString(), answer->filterIndex);
  return true;
}

}  // namespace

FileChooser SetFileChooser(FileChooser chooser) {
  FileChooser previous = std::move(Chooser());
  Chooser() = std::move(chooser);
  return previous;
}

QStringList QtNameFilters(std::string_view filterList) {
  QStringList filters;
  const int32_t count = FilterCount(filterList);
  for (int32_t i = 1; i <= count; ++i) {
    FilterPair pair;
    if (!FilterAt(filterList, i, pair))
      break;
    QStringList patterns;
    for (const QString& pattern : QString::fromStdString(pair.pattern).split(QLatin1Char(';'))) {
      const QString p = pattern.trimmed();
      if (p.isEmpty())
        continue;
      patterns << (p == QLatin1String("*.*") ? QStringLiteral("*") : p);
    }
    if (patterns.isEmpty())
      patterns << QStringLiteral("*");
    filters << BaseDescription(QString::fromStdString(pair.description)) + QStringLiteral(" (") +
                   patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
  }
  return filters;
}

FileDialogRequest MakeFileDialogRequest(const FileData& data, FileDialogMode mode, QWidget* parent,
                                        const QString& title, const std::string& proposedName) {
  FileDialogRequest request;
  request.mode = mode;
  request.parent = parent;
  request.title = title;
  request.directory = FromPath(data.initialDir);
  request.fileName = FromPath(proposedName.empty() ? data.fileName : proposedName);
  request.nameFilters = QtNameFilters(data.filter);
  const int index = data.filterIndex < 1 ? 1 : data.filterIndex;
  request.selectedFilter = index <= request.nameFilters.size() ? index - 1 : 0;
  request.defaultSuffix = QString::fromStdString(data.defExt);
  request.confirmOverwrite = mode == FileDialogMode::Save && (data.flags & kOfnOverwritePrompt);
  request.pathMustExist = data.flags & kOfnPathMustExist;
  return request;
}

std::optional<FileDialogAnswer> RunQtFileDialog(const FileDialogRequest& request) {
  FileDialog dialog(request.parent, request.title, request.pathMustExist);
  const bool save = request.mode == FileDialogMode::Save;
  dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.confirmOverwrite);
  dialog.setNameFilters(request.nameFilters);
  if (request.selectedFilter < request.nameFilters.size()) {
    dialog.selectNameFilter(request.nameFilters.at(request.selectedFilter));
  }
  dialog.setDefaultSuffix(request.defaultSuffix);
  if (!request.directory.isEmpty())
    dialog.setDirectory(request.directory);
  // A previous choice with its folder opens there and shows the name.
  if (!request.fileName.isEmpty())
    dialog.selectFile(request.fileName);
  if (dialog.exec() != QDialog::Accepted)
    return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty())
    return std::nullopt;
  const qsizetype filter = request.nameFilters.indexOf(dialog.selectedNameFilter());
  return FileDialogAnswer{files.first(), filter < 0 ? 1 : static_cast<int>(filter) + 1};
}

bool ChooseOpenFile(FileData& data, QWidget* parent, const QString& title) {
  return ChooseFile(data, FileDialogMode::Open, parent, title);
}

bool ChooseSaveFile(FileData& data, QWidget* parent, const QString& title,
                    const std::string& proposedName) {
  return ChooseFile(data, FileDialogMode::Save, parent, title, proposedName);
}
