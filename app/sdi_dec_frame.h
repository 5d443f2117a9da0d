#pragma once

#include <QMainWindow>
#include <cstdint>

class TFxClient;

// Window styles of the frame, as bit sets: the frame starts as an ordinary
// overlapped window, and the program adds and removes bits from that.
inline constexpr uint32_t kWsChild = 0x40000000;
inline constexpr uint32_t kWsVisible = 0x10000000;
inline constexpr uint32_t kWsClipChildren = 0x02000000;
inline constexpr uint32_t kWsCaption = 0x00C00000;
inline constexpr uint32_t kWsSysMenu = 0x00080000;
inline constexpr uint32_t kWsThickFrame = 0x00040000;
inline constexpr uint32_t kWsMinimizeBox = 0x00020000;
inline constexpr uint32_t kWsMaximizeBox = 0x00010000;
inline constexpr uint32_t kWsOverlappedWindow =
    kWsCaption | kWsSysMenu | kWsThickFrame | kWsMinimizeBox | kWsMaximizeBox;

// A title bar with its system menu and a minimise box; neither sizing nor
// maximising.
inline constexpr uint32_t kFrameStyleAdd =
    kWsVisible | kWsClipChildren | kWsCaption | kWsSysMenu | kWsMinimizeBox;  // 0x12CA0000
inline constexpr uint32_t kFrameStyleRemove =
    kWsChild | kWsThickFrame | kWsMaximizeBox;  // 0x40050000

// The main window: a fixed-size frame whose only content is the effect
// dialog. It has no menu, tool bar or status bar. When the dialog closes
// (Exit, Escape, a card that cannot be opened) the frame closes with it.
class TSDIDecFrame : public QMainWindow {
  Q_OBJECT

 public:
  TSDIDecFrame();
  ~TSDIDecFrame() override;

  TFxClient* Client() const { return client_; }

  // The frame's client area takes the client's size and follows it.
  void SetShrinkToClient(bool shrink);
  bool ShrinkToClient() const { return shrinkToClient_; }

  // Applies a style bit set: title, system menu, minimise and maximise
  // boxes, and whether the user may resize the frame.
  void SetWindowStyle(uint32_t style);
  uint32_t WindowStyle() const { return style_; }

 signals:
  // The frame has closed: the program ends.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void UpdateSizing();

  TFxClient* client_;  // owned through Qt parenting
  bool shrinkToClient_ = false;
  uint32_t style_ = kWsOverlappedWindow;
};
