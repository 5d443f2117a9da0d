#pragma once

#include <QWidget>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "app/preview_follower.h"
#include "controls/te_dialog.h"
#include "device/playback.h"
#include "support/file_data.h"
#include "wipe/grey_image.h"
#include "wipe/wipe_turns.h"

class ExportProgress;
class ImageControl;
class QAction;
class QMenu;
class TermometerDialog;
class TEVSlider;
class TIntEdit;
class TimeCodeEdit;

// The whole user interface: the wipe's parameters (Alpha, the position of
// the soft edge; Width, its softness; Duration, the length of one pass), the
// loaded pattern, and the commands Image, Play/Stop, Export and About. It
// opens the card when it is set up; a card that cannot be opened ends the
// program.
//
// States decide what can be used: 1 no pattern, 2 pattern loaded, 3 playing.
class TFxClient : public TEDialog {
  Q_OBJECT

 public:
  static constexpr int kStateNoPattern = 1;
  static constexpr int kStateIdle = 2;
  static constexpr int kStatePlaying = 3;

  // wParam of the device failure message.
  static constexpr intptr_t kDeviceFailureTag = 9;

  TFxClient();
  ~TFxClient() override;

  // Enables the items for a state; nothing when it is the current one.
  void SetState(int newState);
  int State() const { return state; }
  bool Playing() const { return playing; }

  // Shows wipe position alpha with edge width w in the preview and on the
  // card, with the wait cursor meanwhile.
  void ApplyWipeParameters(int32_t alphaValue, int32_t w);

  // The loaded pattern at file size; empty in state 1.
  bool HasPattern() const { return !pattern.Empty(); }
  const GreyImage& Pattern() const { return pattern; }
  int32_t Alpha() const { return alpha; }
  // The edge width, 0..255; the playback worker reads it while it runs.
  int32_t Width() const { return width.load(std::memory_order_relaxed); }
  // One pass in milliseconds, clamped to the control's 3..10000.
  int32_t DurationMs() const;

  ImageControl* Preview() const { return preview; }
  TimeCodeEdit* DurationEdit() const { return timeEdit; }
  TIntEdit* AlphaEdit() const { return alphaEdit; }
  TIntEdit* WidthEdit() const { return widthEdit; }
  TEVSlider* AlphaSlider() const { return alphaSlider; }
  QWidget* SliderFrame() const { return sliderFrame; }
  const Playback& Player() const { return playback; }
  const PreviewFollower& Follower() const { return follower; }

  // Opens the picture at path as the pattern, as Image does with a chosen
  // file (same codes, messages and caption), once the card is open; nothing
  // while playing or exporting, or when the card could not be opened.
  void OpenPicture(const std::string& path);

  // The preview's context menu, every entry in order; a right click on the
  // preview shows a menu made by it. Both marks are off at the start:
  // Invert pattern shows, plays and exports the pattern with every value v
  // as 255 - v; Reverse direction plays (from the next Play) and exports
  // every position p as w + 256 - p. Render matte video asks for a file
  // and writes the wipe over the current Alpha range, Width and Duration
  // at the card's frame size and rate as a grey matte video; it can be
  // used with a pattern loaded and the card still.
  void AddPreviewMenuActions(QMenu& menu);
  QAction* InvertAction() const { return invertAction; }
  QAction* ReverseAction() const { return reverseAction; }
  QAction* RenderAction() const { return renderAction; }
  WipeDirection Direction() const;

  // An export runs: the dialog takes no input until it ends.
  bool Exporting() const { return exportProgress != nullptr; }
  // Cancels the running export, as its Cancel button does, and closes the
  // dialog once the export has ended.
  void CancelExportAndClose();

 protected:
  void SetupWindow() override;
  const ResponseTable& Responses() const override { return kResponses; }
  // A picture file dropped on the window is opened as OpenPicture does.
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;

 private:
  intptr_t EvDeviceFailure(intptr_t tag, intptr_t code);
  void EvValueChanged(intptr_t id);
  void CmAlphaSlider();
  void CmImage();
  // Reads ImageFiles' chosen file as the pattern and reports a failure.
  void LoadChosenImage();
  // Gives the preview and the card the pattern as the marks say; false when
  // either is out of memory.
  bool ShowPattern();
  void InvertToggled();
  void ShowPreviewMenu(const QPoint& where);
  bool CmExport();
  bool CmRenderMatte();
  // Runs an export with the progress dialog, the window holding still.
  bool RunExport(const std::function<bool(ExportProgress*)>& write);
  void CmPlay();
  void CmAbout();

  int32_t BeginPlay();
  void EndPlay();
  void RunCard();
  // The alpha range and the slider's ruler for the current width.
  void TakeWidth();
  // Alpha from its edit (clamped to the range), echoed on the slider, shown.
  void TakeAlphaFromEdit();
  // A press or drag at client column x of the preview, as the slider's move.
  void ScrubAlpha(int32_t x);
  // The preview's tip for the pattern loaded now, or for none.
  void ShowPatternInfo();

  // Children, owned through Qt parenting.
  TimeCodeEdit* timeEdit = nullptr;
  ImageControl* preview = nullptr;
  QWidget* sliderFrame = nullptr;
  TIntEdit* alphaEdit = nullptr;
  TIntEdit* widthEdit = nullptr;
  TEVSlider* alphaSlider = nullptr;
  QAction* invertAction = nullptr;
  QAction* reverseAction = nullptr;
  QAction* renderAction = nullptr;
  // Matte videos are chosen apart from the card's AVI files, and only
  // while the dialog lives.
  FileData matteFiles{
      "Matroska Video (*.mkv)|*.mkv|QuickTime Video (*.mov)|*.mov|AVI Video (*.avi)|*.avi|"
      "PNG Sequence (*.png)|*.png",
      "mkv"};

  int32_t alpha = 128;
  std::atomic<int32_t> width{48};
  int state = 0;
  bool playing = false;
  GreyImage pattern;
  TermometerDialog* exportProgress = nullptr;  // while an export runs
  bool closeAfterExport = false;

  // The worker, the positions and the frame index of the running playback.
  CardPlayer card;
  Playback playback;
  PreviewFollower follower{playback};

  static const ResponseEntry kEntries[];
  static const ResponseTable kResponses;
};

class OrvinterBinding;

// The About box: the program's name and version, and below them which card
// library is in use.
class FxAboutDlg : public TEDialog {
  Q_OBJECT

 public:
  FxAboutDlg(QWidget* parent, const OrvinterBinding& card);
};
