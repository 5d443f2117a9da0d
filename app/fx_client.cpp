#include "app/fx_client.h"

#include "avi/export.h"
#include "avi/ui/termometer_dialog.h"

#include <QAction>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>
#include <QTimer>
#include <QUrl>
#include <filesystem>
#include <new>
#include <system_error>

#include <unistd.h>

#include "app/export_input_guard.h"
#include "app/fx_templates.h"
#include "app/fx_tool_tips.h"
#include "app/pattern_library.h"
#include "app/program_state.h"
#include "app/render_matte.h"
#include "controls/ev_slider.h"
#include "controls/int_edit.h"
#include "controls/private_messages.h"
#include "controls/time_code_edit.h"
#include "render/output_kind.h"
#include "support/error_codes.h"
#include "support/output_name.h"
#include "support/prompter.h"
#include "support/report_error.h"
#include "support/time_code.h"
#include "support/ui/file_dialogs.h"
#include "wipe/ui/image_control.h"
#include "wipe/ui/picture_reader.h"

const ResponseEntry TFxClient::kEntries[] = {
    OnMessage<&TFxClient::EvDeviceFailure>(WM_DEVICEFAILURE),
    OnMessage<&TFxClient::EvValueChanged>(WM_VALUECHANGED),
    OnCommand<&TFxClient::CmAlphaSlider>(kIdAlphaSlider),
    OnCommand<&TFxClient::CmImage>(kIdImage),
    OnCommand<&TFxClient::CmExport>(kIdExport),
    OnCommand<&TFxClient::CmPlay>(kIdPlay),
    OnCommand<&TFxClient::CmAbout>(kIdAbout),
};
const ResponseTable TFxClient::kResponses{&TEDialog::kResponses, TFxClient::kEntries};

namespace {

constexpr int32_t kDefaultDurationMs = 1000;
constexpr int32_t kMinDurationMs = 3;
constexpr int32_t kMaxDurationMs = 10000;
constexpr int32_t kMaxWidth = 255;
constexpr int kSliderPageStep = 10;
// The slider sits this far inside its frame on every side.
constexpr int kSliderInset = 2;
// wParam of the device failure message posted while playing: the Play
// command's id, since the failure ends what that command started.
constexpr intptr_t kPlaybackFailureTag = kIdPlay;

// The wait cursor for one scope.
class WaitCursor {
 public:
  WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
  ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
  WaitCursor(const WaitCursor&) = delete;
  WaitCursor& operator=(const WaitCursor&) = delete;
};

// The first matte of a run is offered beside its pattern, or in the home
// folder when the pattern's folder cannot be written (the installed
// library); later ones where the last one went.
std::string ProposeMatteName(const FileData& matteFiles, const std::string& patternPath) {
  if (!matteFiles.fileName.empty() || patternPath.empty())
    return {};
  std::filesystem::path basis(patternPath);
  basis.replace_extension(".mkv");
  const std::filesystem::path folder = basis.parent_path().empty() ? "." : basis.parent_path();
  if (access(folder.c_str(), W_OK) != 0)
    basis = std::filesystem::path(QDir::homePath().toStdString()) / basis.filename();
  return ProposeOutputName(basis.string(), "-matte");
}

int32_t HalfWidth(int32_t w) {
  return w / 2;
}

// The ruler marks every this many values: with the range of w + 256
// values, the two ends and the middle.
int32_t TickGap(int32_t w) {
  return (w + 256) / 2;
}

// An export must never write over the recording it reads: says so under
// "Write AVI" and returns true when outPath is the source file itself.
bool RefuseSourceAsOutput(const std::string& sourcePath, const std::string& outPath) {
  if (sourcePath.empty() || !IsSameFile(sourcePath, outPath))
    return false;
  Prompter& prompter = CurrentPrompter();
  prompter.Beep();
  prompter.ShowMessage(
      "The file '" + outPath +
          "' is the source of this export.\nWrite the new file under another name.",
      "Write AVI", kMbOk | kMbIconExclamation);
  return true;
}

// The first local file a drag carries; empty when it carries none.
std::string DroppedFile(const QMimeData* data) {
  if (!data || !data->hasUrls())
    return {};
  for (const QUrl& url : data->urls()) {
    if (url.isLocalFile())
      return url.toLocalFile().toStdString();
  }
  return {};
}

}  // namespace

TFxClient::TFxClient()
    : TEDialog(kFxDialogTemplate),
      card(Device),
      playback(card, width, StopFlag, [this](int32_t code) {
        // From the worker: the failure is handled on the dialog's thread.
        PostPrivateMessage(this, WM_DEVICEFAILURE, kPlaybackFailureTag, code);
      }) {
  // The Duration control is made with both; it takes the card's rate once
  // the card is open.
  TimeDisplayMode = 1;
  FrameRate = kNtscFrameRate;
  StopFlag.store(1);

  const int32_t w = width.load();
  const int32_t h = HalfWidth(w);
  preview = MakeItem<ImageControl>(kIdPreview);
  timeEdit = MakeItem<TimeCodeEdit>(kIdDuration, kDefaultDurationMs, kMinDurationMs, kMaxDurationMs,
                                    TimeDisplayMode, FrameRate);
  sliderFrame = Item(kIdSliderFrame);
  widthEdit = MakeItem<TIntEdit>(kIdWidth, 0, kMaxWidth);
  alphaEdit = MakeItem<TIntEdit>(kIdAlpha, -h, h + 255);
  // The negative link: the slider writes the Alpha edit when the user
  // moves it, not when the program sets it from that edit.
  alphaSlider =
      new TEVSlider(this, kIdAlphaSlider, -kIdAlpha, alpha, -h, h + 255, kSliderThumbBitmap);
  InsertItemAfter(kIdSliderFrame, kIdAlphaSlider, alphaSlider);

  invertAction = new QAction(QStringLiteral("Invert pattern"), this);
  invertAction->setCheckable(true);
  connect(invertAction, &QAction::toggled, this, [this] { InvertToggled(); });
  reverseAction = new QAction(QStringLiteral("Reverse direction"), this);
  reverseAction->setCheckable(true);
  renderAction = new QAction(QStringLiteral("Render matte video..."), this);
  connect(renderAction, &QAction::triggered, this, [this] { CmRenderMatte(); });
  preview->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(preview, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& where) { ShowPreviewMenu(where); });
  connect(preview, &ImageControl::Scrubbed, this, &TFxClient::ScrubAlpha);
}

TFxClient::~TFxClient() {
  EndPlay();
  pattern.Release();
  Device.Close();
}

void TFxClient::SetupWindow() {
  TEDialog::SetupWindow();

  const QRect frame = sliderFrame->geometry();
  alphaSlider->setGeometry(
      frame.adjusted(kSliderInset, kSliderInset, -kSliderInset, -kSliderInset));
  alphaSlider->raise();
  alphaSlider->setEnabled(true);
  const int32_t w = width.load();
  alphaSlider->SetRuler(TickGap(w), false);
  alphaSlider->SetPageSize(kSliderPageStep);

  alphaSlider->SetValue(alpha, true);
  alphaEdit->SetValue(alpha, true);
  widthEdit->SetValue(w, true);
  timeEdit->SetTime(kDefaultDurationMs, true);
  SetState(kStateNoPattern);
  SetFxToolTips(*this);
  preview->SetHint(PreviewHintText());
  ShowPatternInfo();
  setAcceptDrops(true);
  // Loading a pattern is what a user does first; left to itself the focus
  // would land on Exit, where a stray Enter ends the program.
  Item(kIdImage)->setFocus(Qt::OtherFocusReason);

  // Reported once the set-up is over, so the message box has a window.
  const int32_t code = Device.Open(VersionQuestionAsked);
  if (code != kOk) {
    PostPrivateMessage(this, WM_DEVICEFAILURE, kDeviceFailureTag, code);
    return;
  }
  // Durations are counted in the card's frames: on a PAL card one second
  // is 25 of them, which is what the frames cell must offer.
  FrameRate = Device.FrameRate();
  timeEdit->SetFrameRate(FrameRate);
}

void TFxClient::SetState(int newState) {
  if (newState == state)
    return;
  state = newState;
  const bool idle = state != kStatePlaying;
  const bool loaded = state == kStateIdle;
  EnableItem(kIdImage, idle);
  EnableItem(kIdExport, idle);
  EnableItem(kIdDuration, idle);
  EnableItem(kIdAlphaSlider, loaded);
  EnableItem(kIdPlay, state != kStateNoPattern);
  SetItemText(kIdPlay, state == kStatePlaying ? QStringLiteral("&Stop") : QStringLiteral("&Play"));
}

void TFxClient::ApplyWipeParameters(int32_t alphaValue, int32_t w) {
  WaitCursor wait;
  // While playing the preview shows the card's frames instead.
  if (!follower.Following())
    preview->SetWipe(alphaValue, w, false);
  Device.ShowAlpha(alphaValue, w);
}

int32_t TFxClient::DurationMs() const {
  return timeEdit->GetTime(true);
}

intptr_t TFxClient::EvDeviceFailure(intptr_t tag, intptr_t code) {
  if (tag == kPlaybackFailureTag) {
    // Only for the run that found it: a report overtaken by the user's Stop,
    // or by a new Play, is old news.
    if (playing && playback.CardStopped()) {
      EndPlay();
      playing = false;
      SetState(kStateIdle);
      ReportErrorPlain(static_cast<int32_t>(code), "Start Playback");
    }
    return 0;
  }
  if (tag != kDeviceFailureTag)
    return 0;
  ReportErrorPlain(static_cast<int32_t>(code), "Init Orvane");
  Device.Close();
  DispatchCommand(kIdCancel, kBnClicked);
  return 0;
}

void TFxClient::TakeWidth() {
  const int32_t w = width.load();
  const int32_t h = HalfWidth(w);
  alphaSlider->SetValueRange(-h, h + 255);
  alphaSlider->SetRuler(TickGap(w), false);
  alphaEdit->SetRange(-h, h + 255);
}

void TFxClient::TakeAlphaFromEdit() {
  alpha = alphaEdit->GetValue();
  alphaSlider->SetValue(alpha, false);
  ApplyWipeParameters(alpha, width.load());
}

void TFxClient::EvValueChanged(intptr_t id) {
  if (id == kIdAlpha) {
    TakeAlphaFromEdit();
  } else if (id == kIdWidth) {
    // The worker picks the new width up with its next frame.
    width.store(widthEdit->GetValue());
    TakeWidth();
    TakeAlphaFromEdit();
  }
}

void TFxClient::ScrubAlpha(int32_t x) {
  if (!alphaSlider->isEnabled())
    return;
  const int32_t value =
      PreviewScrubValue(x, preview->ClientWidth(), alphaSlider->Lo(), alphaSlider->Hi());
  const int position =
      alphaSlider->Reversed() ? alphaSlider->Hi() - value : value - alphaSlider->Lo();
  if (position != alphaSlider->GetPosition())
    alphaSlider->SetPosition(position);
}

void TFxClient::CmAlphaSlider() {
  alpha = alphaSlider->GetValue();
  alphaEdit->SetValue(alpha, false);
  ApplyWipeParameters(alpha, width.load());
}

void TFxClient::CmImage() {
  // A run's first dialog opens on the patterns the program comes with; a
  // folder the user has been to is never replaced.
  if (ImageFiles.initialDir.empty() && ImageFiles.fileName.empty()) {
    ImageFiles.initialDir = PatternLibraryFolder(
        QCoreApplication::applicationDirPath().toStdString(), Device.FrameRate());
  }
  if (!ChooseOpenFile(ImageFiles, this, QStringLiteral("Load Image")))
    return;
  LoadChosenImage();
}

void TFxClient::OpenPicture(const std::string& path) {
  // Only on an open card: when it could not be opened the program is ending.
  if (!Device.Initialised() || state == kStatePlaying || Exporting())
    return;
  // Kept as a chosen file is, whole, so the messages name it as they name
  // one from the dialog and the dialog then opens beside it.
  std::error_code ec;
  const std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  ImageFiles.fileName = ec ? path : absolute.string();
  ImageFiles.initialDir = RememberDirectory(ImageFiles.fileName);
  LoadChosenImage();
}

void TFxClient::LoadChosenImage() {
  pattern.Release();
  SetState(kStateNoPattern);

  int32_t code = ReadPicturePattern(ImageFiles.fileName, pattern);
  if (code == kOk && !ShowPattern()) {
    pattern.Release();
    code = kErrNoMemory;
  }

  if (code != kOk) {
    // Nothing of the previous pattern may stay on show once it is gone.
    preview->SetImage(nullptr, 0, 0);
    Device.SetPattern(nullptr, 0, 0);
    ShowPatternInfo();
    ReportFileError(code, "Load Image", ImageFiles.fileName);
    return;
  }
  ShowPatternInfo();
  SetState(kStateIdle);
  ApplyWipeParameters(alpha, width.load());
}

bool TFxClient::ShowPattern() {
  // The loaded pattern stays as read; the inverted one lives only as long
  // as the preview and the card take to scale it.
  GreyImage inverted;
  const GreyImage* shown = &pattern;
  if (invertAction->isChecked()) {
    try {
      inverted = pattern;
    } catch (const std::bad_alloc&) {
      return false;
    }
    InvertPattern(inverted.pixels);
    shown = &inverted;
  }
  return preview->SetImage(shown->pixels.data(), shown->width, shown->height) &&
         Device.SetPattern(shown->pixels.data(), shown->width, shown->height);
}

void TFxClient::InvertToggled() {
  if (!HasPattern())
    return;
  if (ShowPattern()) {
    ApplyWipeParameters(alpha, width.load());
    return;
  }
  // Out of memory: as after a load that failed, nothing stays on show.
  if (playing) {
    EndPlay();
    playing = false;
  }
  pattern.Release();
  preview->SetImage(nullptr, 0, 0);
  Device.SetPattern(nullptr, 0, 0);
  SetState(kStateNoPattern);
  ReportErrorPlain(kErrNoMemory, "Load Image");
}

void TFxClient::AddPreviewMenuActions(QMenu& menu) {
  menu.addAction(invertAction);
  menu.addAction(reverseAction);
  menu.addSeparator();
  renderAction->setEnabled(state == kStateIdle && !Exporting());
  menu.addAction(renderAction);
}

void TFxClient::ShowPreviewMenu(const QPoint& where) {
  QMenu menu(this);
  AddPreviewMenuActions(menu);
  menu.exec(preview->mapToGlobal(where));
}

WipeDirection TFxClient::Direction() const {
  return reverseAction->isChecked() ? WipeDirection::kReverse : WipeDirection::kForward;
}

bool TFxClient::CmExport() {
  const QString sourceTitle = QStringLiteral("Source AVI with JPEG");
  const QString saveTitle = QStringLiteral("Save AVI");
  if (HasPattern()) {
    // Without a source the wipe is exported as alpha alone.
    std::string sourcePath;
    if (ChooseOpenFile(AviFiles, this, sourceTitle))
      sourcePath = AviFiles.fileName;
    const std::string& basis = sourcePath.empty() ? AviFiles.fileName : sourcePath;
    if (!ChooseSaveFile(AviFiles, this, saveTitle, ProposeOutputName(basis, "-wipe")) ||
        RefuseSourceAsOutput(sourcePath, AviFiles.fileName)) {
      return false;
    }
    return RunExport([&](ExportProgress* progress) {
      return ExportTransition(progress, sourcePath, AviFiles.fileName, DurationMs(), FrameRate,
                              Device.Pattern(), Device.FrameWidth(), Device.FrameHeight(), Width(),
                              nullptr, nullptr, Direction());
    });
  }
  if (!ChooseOpenFile(AviFiles, this, sourceTitle))
    return false;
  if (!ChooseOpenFile(ImageFiles, this, QStringLiteral("First TARGA with mask")))
    return false;
  const std::string sourcePath = AviFiles.fileName;
  if (!ChooseSaveFile(AviFiles, this, saveTitle, ProposeOutputName(sourcePath, "-mask")) ||
      RefuseSourceAsOutput(sourcePath, AviFiles.fileName)) {
    return false;
  }
  return RunExport([&](ExportProgress* progress) {
    return ExportMaskSequence(progress, sourcePath, ImageFiles.fileName, AviFiles.fileName);
  });
}

bool TFxClient::CmRenderMatte() {
  if (state != kStateIdle || Exporting())
    return false;
  if (!ChooseSaveFile(matteFiles, this, QStringLiteral("Render Matte Video"),
                      ProposeMatteName(matteFiles, ImageFiles.fileName)))
    return false;
  MatteVideoRequest request;
  request.pattern = &pattern;
  request.frameWidth = Device.FrameWidth();
  request.frameHeight = Device.FrameHeight();
  request.edgeWidth = Width();
  request.fromAlpha = -HalfWidth(request.edgeWidth);
  request.toAlpha = HalfWidth(request.edgeWidth) + 255;
  request.durationMs = DurationMs();
  request.frameRate = FrameRate;
  request.invert = invertAction->isChecked();
  request.reverse = reverseAction->isChecked();
  // The file dialog knows only extensions: a picture name stands for the
  // first of a numbered sequence.
  request.fileName = NumberedSequenceName(matteFiles.fileName);
  return RunExport(
      [&](ExportProgress* progress) { return RenderMatteVideo(progress, request) == kOk; });
}

bool TFxClient::RunExport(const std::function<bool(ExportProgress*)>& write) {
  // The export reads the device's pattern and the file records while the
  // progress dialog lets events through: no command may run meanwhile.
  TermometerDialog progress(this);
  bool written = false;
  {
    ExportInputGuard guard(window());
    exportProgress = &progress;
    written = write(&progress);
    exportProgress = nullptr;
  }
  if (closeAfterExport) {
    closeAfterExport = false;
    DispatchCommand(kIdCancel, kBnClicked);
  }
  return written;
}

void TFxClient::CancelExportAndClose() {
  if (!exportProgress)
    return;
  closeAfterExport = true;
  exportProgress->DispatchCommand(kIdCancel, kBnClicked);
}

void TFxClient::CmPlay() {
  if (playing) {
    EndPlay();
    playing = false;
    SetState(kStateIdle);
    return;
  }
  const int32_t code = BeginPlay();
  if (code != kOk) {
    EndPlay();
    ReportErrorPlain(code, "Start Playback");
    return;
  }
  SetState(kStatePlaying);
  playing = true;
  RunCard();
  follower.Start(preview, FrameRate);
}

int32_t TFxClient::BeginPlay() {
  // FrameRate is the card's by now: it was taken from the device's Open.
  return playback.Begin(DurationMs(), FrameRate, Direction());
}

void TFxClient::EndPlay() {
  follower.Stop();
  playback.End();
  preview->SetWipe(alpha, Width(), false);
}

void TFxClient::ShowPatternInfo() {
  preview->setToolTip(
      HasPattern() ? PreviewPatternToolTip(ImageFiles.fileName, pattern.width, pattern.height)
                   : PreviewHintText());
}

void TFxClient::dragEnterEvent(QDragEnterEvent* event) {
  if (!DroppedFile(event->mimeData()).empty() && state != kStatePlaying && !Exporting())
    event->acceptProposedAction();
}

void TFxClient::dropEvent(QDropEvent* event) {
  const std::string path = DroppedFile(event->mimeData());
  if (path.empty())
    return;
  event->acceptProposedAction();
  // Loaded once the drop is over, so a message box about the file does not
  // hold up the program the picture came from.
  QTimer::singleShot(0, this, [this, path] { OpenPicture(path); });
}

void TFxClient::RunCard() {
  playback.RunCard();
}

void TFxClient::CmAbout() {
  FxAboutDlg about(this, Device.Binding());
  about.exec();
}
