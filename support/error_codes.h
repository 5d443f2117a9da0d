#pragma once

#include <cstdint>

// Every failing operation returns one of these; 0 is success. The numbers are
// fixed: they index the message tables and travel unchanged to the handler
// that reports them.
inline constexpr int32_t kOk = 0;
inline constexpr int32_t kErrUnknownParameterType = 1;
inline constexpr int32_t kErrNoMemory = 2;
inline constexpr int32_t kErrNoFile = 3;
inline constexpr int32_t kErrNoShots = 4;
inline constexpr int32_t kErrBadNumber = 5;
inline constexpr int32_t kErrBadFile = 6;
inline constexpr int32_t kErrBadShot = 7;
inline constexpr int32_t kErrBadParameter = 8;
inline constexpr int32_t kErrNoConnection = 9;
inline constexpr int32_t kErrDriverMemory = 10;
inline constexpr int32_t kErrVideoTimer = 11;
inline constexpr int32_t kErrNoDevice = 12;
inline constexpr int32_t kErrNoChannel = 13;
inline constexpr int32_t kErrSelectItem = 14;
inline constexpr int32_t kErrCancelled = 15;
inline constexpr int32_t kErrDoneAlready = 16;
inline constexpr int32_t kErrCannotRead = 17;
inline constexpr int32_t kErrCannotWrite = 18;
inline constexpr int32_t kErrNoVtr = 19;
inline constexpr int32_t kErrNoWave = 20;
inline constexpr int32_t kErrNoMidi = 21;
inline constexpr int32_t kErrCannotOpen = 22;
inline constexpr int32_t kErrNotFilm = 23;
inline constexpr int32_t kErrPlaying = 24;
inline constexpr int32_t kErrDeviceInit = 25;
inline constexpr int32_t kErrResources = 26;
inline constexpr int32_t kErrVideoParameters = 27;
inline constexpr int32_t kErrFatal = 28;
// Our own, past the fixed ones: the video library has no encoder of that
// name in this build.
inline constexpr int32_t kErrNoEncoder = 29;

inline constexpr int32_t kErrorCount = 30;

// Message texts indexed by code. ErrorFormats may hold one placeholder ("%s"
// for a file name, "%ld" for a number); ErrorTexts never does.
extern const char* const ErrorFormats[kErrorCount];
extern const char* const ErrorTexts[kErrorCount];

// True for the codes a user ever sees: success, a cancel (kErrCancelled) and
// work already done (kErrDoneAlready) end quietly, and anything outside the
// table is never shown.
constexpr bool IsShownError(int32_t code) {
  return code >= 1 && code < kErrorCount && code != kErrCancelled && code != kErrDoneAlready;
}
