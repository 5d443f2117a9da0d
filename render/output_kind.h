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

// A name chosen in a file dialog as the first of a PNG sequence: one that
// ends in .png (in any case) without a frame number gets "-%04d" before its
// extension, so "matte.png" writes matte-0000.png, matte-0001.png, ...
// Every other name stays as it is.
std::string NumberedSequenceName(const std::string& path);

// The libavformat muxer for a kind; null for kUnknown.
const char* MuxerName(OutputKind kind);
