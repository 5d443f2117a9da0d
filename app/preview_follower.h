#pragma once

#include <QObject>
#include <QTimer>
#include <cstdint>

class ImageControl;
class Playback;

// While the card plays, the preview shows what goes to the card: a timer on
// the dialog's thread reads the frame the playback worker queued last and
// recolours the preview for its fields, the first field's position and then,
// at the next tick of the same frame, the second's. The worker publishes
// that frame in one lock-free word and never waits for the preview.
class PreviewFollower : public QObject {
 public:
  explicit PreviewFollower(const Playback& playback);

  // Follows from now on, ticking at the screen's refresh or the field rate
  // of frameRate, whichever is lower.
  void Start(ImageControl* preview, float frameRate);
  // No more ticks; the caller puts the still picture back.
  void Stop();
  bool Following() const { return timer_.isActive(); }
  int IntervalMs() const { return timer_.interval(); }

 private:
  void Tick();

  const Playback& playback_;
  ImageControl* preview_ = nullptr;
  QTimer timer_;
  int32_t shownNumber_ = -1;
  bool shownSecond_ = false;
};

// The follower's tick in whole milliseconds, never faster than either rate;
// a screen that does not say its refresh counts as no limit.
int FollowIntervalMs(double screenHz, float frameRate);
