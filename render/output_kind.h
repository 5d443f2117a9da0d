#pragma once

#include <string>

// What a render writes, told by the output's name: a video file by its
// extension (in any case), or a numbered picture sequence when the name holds
// a frame number placeholder such as %d or %04d.
enum class OutputKind {
  kUnknown,
  kMatroska,  // .mkv
  kAvi,       // .avi
  kQuickTime, // .mov
  kMp4,       // .mp4
  kPngSequence,
};

OutputKind OutputKindOf(const std::string& path);

// The libavformat muxer for a kind; null for kUnknown.
const char* MuxerName(OutputKind kind);
