#include "app/preview_follower.h"

#include <QScreen>
#include <cmath>

#include "device/playback.h"
#include "wipe/ui/image_control.h"

int FollowIntervalMs(double screenHz, float frameRate) {
  double hz = 2.0 * frameRate;
  if (screenHz > 0 && screenHz < hz)
    hz = screenHz;
  return static_cast<int>(std::ceil(1000.0 / hz));
}

PreviewFollower::PreviewFollower(const Playback& playback) : playback_(playback) {
  timer_.setTimerType(Qt::PreciseTimer);
  connect(&timer_, &QTimer::timeout, this, &PreviewFollower::Tick);
}

void PreviewFollower::Start(ImageControl* preview, float frameRate) {
  preview_ = preview;
  shownNumber_ = -1;
  shownSecond_ = false;
  const QScreen* screen = preview ? preview->screen() : nullptr;
  timer_.setInterval(FollowIntervalMs(screen ? screen->refreshRate() : 0, frameRate));
  timer_.start();
}

void PreviewFollower::Stop() {
  timer_.stop();
  shownNumber_ = -1;
}

void PreviewFollower::Tick() {
  const QueuedFrame frame = playback_.LastQueued();
  if (frame.number < 0 || !preview_)
    return;
  int32_t position = frame.positions.p1;
  if (frame.number != shownNumber_) {
    shownNumber_ = frame.number;
    shownSecond_ = false;
  } else if (!shownSecond_) {
    shownSecond_ = true;
    position = frame.positions.p2;
  } else {
    return;
  }
  preview_->SetWipe(position, frame.width, false);
}
