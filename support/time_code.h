#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Durations are signed 32-bit milliseconds everywhere; these turn them into
// frame counts and time-code texts at the card's frame rate. There is no
// drop-frame time code: at 29.97 the frames field comes from the millisecond
// remainder of each second.

// 29.97 as the single-precision value every conversion uses.
inline constexpr float kNtscFrameRate = 29.97f;
inline constexpr float kPalFrameRate = 25.0f;

int32_t MsToFrames(int32_t ms, float fps);
int32_t FramesToMs(int32_t frames, float fps);

// The text form of a duration in the given mode.
std::string FormatTime(int32_t ms, int32_t mode, float fps);

// Number of digit cells of a mode's separator-free digit string.
int32_t TimeDigitCount(int32_t mode);

// Milliseconds denoted by a digit string (H H M M S S F F in mode 1, seven
// frame-count digits in mode 2, H H M M S S m m m otherwise). Cells outside
// '0'..'9' count as their distance from '0', which lets a control carry an
// increment into the next field by plain arithmetic. No range check.
int32_t ParseTimeDigits(std::string_view digits, int32_t mode, float fps);

// a * b / c with a 64-bit intermediate, halves rounded away from zero.
// Requires c != 0 and a quotient that fits in 32 bits.
int32_t MulDivRound(int32_t a, int32_t b, int32_t c);
