#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "wipe/transition_table.h"

// The export's working storage: made once, on the first export, and kept for
// the rest of the program's life, so no frame ever allocates. The sizes are
// the export's capacities and bound the frame size to 768 x 576.
struct ExportBuffers {
  // ReadFrame's target; once the video blocks are copied out, the alpha of
  // the field being encoded.
  std::vector<uint8_t> sourceFrame;
  // The device frames, built into each in turn: one is being written while
  // the next is built.
  std::array<std::vector<uint8_t>, 2> outputFrames;
  // The segment list while a field is encoded.
  std::vector<uint8_t> segmentScratch;
  TransitionTable table{};
  // The pixels of one mask picture, and the 128 lines taken from it.
  std::vector<uint8_t> maskImage;
  std::vector<uint8_t> maskLines;
};

// The program's one set of buffers. 0 with buffers set, or kErrNoMemory when
// they cannot be allocated (a later call tries again).
int32_t AcquireExportBuffers(ExportBuffers*& buffers);
