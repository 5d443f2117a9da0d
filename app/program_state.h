#pragma once

#include <atomic>
#include <cstdint>

#include "device/orvane_device.h"
#include "support/file_data.h"
#include "support/time_code.h"

// The program-wide values the effect dialog sets and reads. The code below
// the dialog is handed them as arguments and keeps none of its own.

// The single card of the program. Made before any other static object of
// the program and destroyed after all of them, so its Close is the last
// thing to run; the two file records follow it.
extern OrvaneDevice Device;
extern FileData ImageFiles;  // pattern pictures and TARGA masks
extern FileData AviFiles;    // AVI files

// The version question has been answered OK (or was not needed); Open asks
// it only while this is false.
extern bool VersionQuestionAsked;

// Text form of durations: 1 time code with frames, 2 frame count, anything
// else time code with milliseconds. -1 at start; the dialog sets 1.
extern int32_t TimeDisplayMode;

// Frames per second, 25 at start; the dialog sets 29.97 and then the card's
// rate once the card is open.
extern float FrameRate;

// Nonzero: no playback worker may run. 1 at start and after every stop.
extern std::atomic<int32_t> StopFlag;
