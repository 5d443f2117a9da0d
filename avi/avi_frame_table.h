#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "avi/riff_reader.h"

// Where one video frame of an AVI file is stored.
struct FrameLocation {
  uint32_t chunkId = 0;
  // As stored; read as signed, a value of 0 or less is a frame without bytes.
  uint32_t length = 0;
  // File offset of the first payload byte.
  uint64_t payloadOffset = 0;
};

// How the frame table of a file was found.
enum class FrameTableOrigin {
  kNone,
  kRelativeIndex,  // "idx1", offsets from the "movi" list type
  kAbsoluteIndex,  // "idx1", offsets from the file's start
  kMoviWalk,       // the chunks of "movi" in order
  kOpenDmlIndex,   // the stream's "indx" super index and its "ix" chunks
};

// What the table builders need from the opened file.
struct FrameTableInput {
  RiffReader& riff;
  const RiffChunk& form;  // the RIFF "AVI " form
  std::array<uint32_t, 4> frameIds{};
  uint32_t totalFrames = 0;  // the main header's count
  // A file whose writer stopped before it finished (the RIFF form or
  // "movi" left open): the count is not to be trusted, and every whole
  // frame up to the end of the file is taken instead.
  bool unfinished = false;
};

// Finds the "movi" list of the form, which may have been left open (see
// RiffReader::DescendUnfinished). 0 or kErrBadFile.
int32_t FindMoviList(RiffReader& riff, const RiffChunk& form, RiffChunk& movi);

// From "idx1": the first totalFrames entries with a frame id, offsets read as
// relative or absolute by where they point; an index that fits neither
// reading, has an entry outside "movi", or is missing falls back to walking
// "movi". 0, kErrNoMemory or kErrBadFile.
int32_t BuildFrameTableFromIndex(const FrameTableInput& input, std::vector<FrameLocation>& frames,
                                 FrameTableOrigin& origin);

// The first totalFrames chunks with a frame id, in file order, inside "movi"
// and the lists in it ("rec " records and any other); all other chunks are
// skipped. 0, or kErrBadFile when "movi" holds fewer or is malformed. For an
// unfinished file: every frame chunk up to the end of the file, the one cut
// by it dropped; kErrBadFile when there is none.
int32_t BuildFrameTableByWalking(const FrameTableInput& input, std::vector<FrameLocation>& frames);

// From an OpenDML super index ("indx" in the video stream's list): every frame
// of every "ix" standard index it points to, which covers files larger than one
// RIFF form. 0, kErrNoMemory or kErrBadFile; kNoOpenDmlIndex when the super
// index has no entries (the caller uses the other tables then).
inline constexpr int32_t kNoOpenDmlIndex = -1;
int32_t BuildFrameTableFromOpenDml(RiffReader& riff, const RiffChunk& indx,
                                   const std::array<uint32_t, 4>& frameIds,
                                   std::vector<FrameLocation>& frames);
