#pragma once

#include <QApplication>
#include <memory>
#include <string>

class TSDIDecFrame;

// Show states a start-up may ask the main window for.
inline constexpr int kShowHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimised = 2;
inline constexpr int kShowMaximised = 3;
inline constexpr int kShowNoActivate = 4;
inline constexpr int kShowMinNoActive = 7;

// The frame never starts maximised, nor minimised and active: every request
// but hide and minimised-without-activation becomes show-normal.
int AdjustShowState(int requested);

// The main window as the program makes it: the frame with its dialog,
// shrunk to the dialog, fixed in size, with the program's icon.
std::unique_ptr<TSDIDecFrame> CreateMainWindow();

// Shows the frame in an adjusted show state (hide leaves it hidden).
void ShowMainWindow(TSDIDecFrame& frame, int showState);

// Once the shown frame's card is open, opens the picture at path as the
// pattern, as the Image command does with a chosen file. Nothing happens
// when the card could not be opened (the program is ending) or the frame is
// gone by then.
void OpenPictureOnceShown(TSDIDecFrame& frame, const std::string& path);

// The application: one main window, the message loop until it closes.
class TFxApp : public QApplication {
  Q_OBJECT

 public:
  TFxApp(int& argc, char** argv);
  ~TFxApp() override;

  // Makes the main window and adjusts the show state it will be shown in.
  void InitMainWindow(int& showState);
  TSDIDecFrame* MainWindow() const { return mainWindow_.get(); }
  // A picture for Run to open once the window is up ("Open with" from a
  // file manager); empty for none.
  void SetPictureToOpen(const std::string& path) { pictureToOpen_ = path; }

  // Creates and shows the main window, runs the message loop until the
  // window closes, then deletes the window (and with it the dialog, which
  // closes the card) before it returns the loop's result. SIGTERM, SIGINT
  // and SIGHUP close the window meanwhile.
  int Run(int showState = kShowNormal);

 private:
  std::unique_ptr<TSDIDecFrame> mainWindow_;
  std::string pictureToOpen_;
};
