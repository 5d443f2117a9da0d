#include "app/fx_app.h"

#include <QTimer>

#include "app/close_on_signals.h"
#include "app/fx_client.h"
#include "app/program_icon.h"
#include "app/sdi_dec_frame.h"

int AdjustShowState(int requested) {
  if (requested == kShowHide || requested == kShowMinNoActive)
    return requested;
  return kShowNormal;
}

std::unique_ptr<TSDIDecFrame> CreateMainWindow() {
  auto frame = std::make_unique<TSDIDecFrame>();
  frame->SetShrinkToClient(true);
  frame->SetWindowStyle((kWsOverlappedWindow | kFrameStyleAdd) & ~kFrameStyleRemove);
  frame->setWindowIcon(ProgramIcon(kProgramIconId));
  return frame;
}

void ShowMainWindow(TSDIDecFrame& frame, int showState) {
  switch (AdjustShowState(showState)) {
    case kShowHide:
      frame.hide();
      break;
    case kShowMinNoActive:
      frame.setAttribute(Qt::WA_ShowWithoutActivating);
      frame.showMinimized();
      break;
    default:
      frame.showNormal();
      break;
  }
}

void OpenPictureOnceShown(TSDIDecFrame& frame, const std::string& path) {
  TFxClient* client = frame.Client();
  // After what the set-up posted, such as the report of a card that could
  // not be opened; with the client as context, a closed program drops it.
  QTimer::singleShot(0, client, [client, path] { client->OpenPicture(path); });
}

TFxApp::TFxApp(int& argc, char** argv) : QApplication(argc, argv) {
  setApplicationName(QStringLiteral("Orvn_fx"));
}

TFxApp::~TFxApp() = default;

void TFxApp::InitMainWindow(int& showState) {
  showState = AdjustShowState(showState);
  mainWindow_ = CreateMainWindow();
}

int TFxApp::Run(int showState) {
  InitMainWindow(showState);
  // The loop ends with the frame, also one that was never shown.
  connect(mainWindow_.get(), &TSDIDecFrame::Closed, this, &QCoreApplication::quit);
  CloseOnSignals endings(mainWindow_.get());
  ShowMainWindow(*mainWindow_, showState);
  if (!pictureToOpen_.empty())
    OpenPictureOnceShown(*mainWindow_, pictureToOpen_);
  const int result = exec();
  mainWindow_.reset();
  return result;
}
