#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <cstdint>
#include <string>

#include "avi/export_progress.h"
#include "controls/te_dialog.h"

class TTermometerControl;

// The progress window of a long export: a small topmost dialog with the
// output file's name, a bar with the percentage and, when the export allows
// it, a Cancel button. Cancel, Escape, Alt+F4 and the Close command only
// ask for a cancel (the export closes the window when it has stopped). The
// dialog holds the mouse capture while it is shown, so clicks elsewhere in
// the program do nothing during the export; a click on Cancel is recognised
// by where it lands.
//
// The export drives it through ExportProgress: Open shows it with the wait
// cursor, Update moves the bar and lets the program handle its pending
// events, Close hides it and restores the cursor. One dialog can show one
// export after another.
class TermometerDialog : public TEDialog, public ExportProgress {
  Q_OBJECT

 public:
  static constexpr int kTemplateId = 2210;
  static constexpr int kIdFileName = 2222;
  static constexpr int kIdBar = 2221;
  // The longest file name taken for the name line.
  static constexpr int kMaxFileName = 255;
  // The dialog stays this far inside the screen's right and bottom edges.
  static constexpr int kScreenMargin = 10;
  // Beeps of a click on Cancel.
  static constexpr int kCancelBeeps = 5;

  // A dialog for one export, everything known at once. It is centred on
  // reference's window rectangle, or on the parent's when reference is none.
  TermometerDialog(QWidget* parent, const QString& caption, const QString& fileName, int32_t total,
                   bool cancelAllowed, QWidget* reference = nullptr);
  // A progress display that each Open sets up anew.
  explicit TermometerDialog(QWidget* parent, QWidget* reference = nullptr);
  ~TermometerDialog() override;

  // ExportProgress.
  void Open(const std::string& caption, const std::string& fileName, int32_t total,
            bool cancelAllowed) override;
  bool Update(int32_t done) override;
  void Close() override;

  // Shows the window, centred and topmost, with the focus and the mouse
  // capture.
  void StartShowing();
  // Gives the capture back and hides the window.
  void StopShowing();
  bool Showing() const { return showing_; }

  bool Cancelled() const { return cancelled_; }
  const QString& FileName() const { return fileName_; }
  TTermometerControl* Bar() const { return bar_; }

  // Where a dialog of size lands centred on reference, kept on a screen of
  // size screen: no further right or down than kScreenMargin inside its
  // edges and never left of or above 0. Rectangles end at left + width.
  static QPoint CentredPlace(const QRect& reference, const QSize& dialog, const QSize& screen);
  // The rectangle the dialog is centred on: the reference window's, the
  // parent's, or the screen's.
  QRect ReferenceRect() const;

 protected:
  const ResponseTable& Responses() const override { return kResponses; }
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;

 private:
  void CmCancel();
  // Caption, name line, Cancel button and place, from the fields.
  void ApplySettings();
  // Centres the window (with its frame) on the reference rectangle.
  void Place();
  void ShowCursorShape(Qt::CursorShape shape);

  QString caption_;
  QString fileName_;
  bool cancelAllowed_ = false;
  bool cancelled_ = false;
  bool showing_ = false;
  bool waitCursor_ = false;
  QWidget* reference_;
  TTermometerControl* bar_;  // owned through Qt parenting

  static const ResponseEntry kEntries[];
  static const ResponseTable kResponses;
};

// Makes and shows a progress dialog for one export.
TermometerDialog* OpenProgress(QWidget* parent, const QString& caption, const QString& fileName,
                               int32_t total, bool cancelAllowed, QWidget* reference = nullptr);
// Moves the bar to value and handles the program's pending events; false
// when the user has asked to cancel. True for no dialog.
bool UpdateProgress(TermometerDialog* dialog, int32_t value);
// Takes the capture back, deletes the dialog and clears the pointer.
void CloseProgress(TermometerDialog*& dialog);
