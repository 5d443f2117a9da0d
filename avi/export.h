#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "avi/export_outcome.h"
#include "wipe/wipe_turns.h"

class ExportProgress;

// Writing wipes into AVI files the card can play: one "vids" stream of
// handler "ORVT" whose every frame is a device frame holding the source's
// video field blocks (taken unchanged from a card recording, when there is
// one) and, per field, the export's own block: encoded alpha for a
// transition, raw mask lines for a mask sequence.
//
// Both exports build their frames on the calling thread, which also drives
// the progress, while a thread of their own writes the frame before; that
// thread has ended by the time they return. They report their failures
// themselves under the caption "Write AVI" (a cancel, kErrCancelled, shows
// nothing) and return true only when the file was written completely. code, when given,
// receives the final code: 0, kErrCancelled for a cancel, or the code
// reported; outcome, when given, also what became of the output file and why
// the export stopped.
//
// progress may be null (no display, no cancel). When given it is opened
// once the output file exists and closed before anything is reported.
//
// The output file is replaced only when something is kept: a finished
// export, a cancelled one, or one stopped by its input (a source frame that
// cannot be read, a mask that is refused, the end of the masks) leaves a
// complete AVI file of the frames written so far. Any other failure leaves
// a file that was at outPath before as it was (written in place, where its
// folder may not be written: incomplete). A frame count or rate whose file
// could not fit the 2 GB of an AVI file is refused with kErrVideoParameters
// before anything is written.

// The largest frame the export's working buffers hold.
inline constexpr int32_t kExportMaxWidth = 768;
inline constexpr int32_t kExportMaxHeight = 576;

// A mask picture gives 64 lines per field, up to kExportMaxWidth bytes each.
inline constexpr int32_t kMaskFieldLines = 64;
inline constexpr int32_t kMaskPictureMinLines = 2 * kMaskFieldLines;
inline constexpr size_t kMaskImageCapacity = 768 * 576 * 4;  // 1769472
inline constexpr size_t kMaskLinesCapacity = 98328;

// Writes a wipe of durationMs: the edge runs in over the first half of the
// frames and out over the second. pattern is the field-split wipe pattern
// of width x height; the alpha of every field is computed from it with
// edgeWidth. sourcePath may be empty; a source that cannot be opened is
// passed over silently and the frames carry alpha only, as do frames past
// its end. The frame rate is the source's, else frameRate (frames per
// second, the card's). Reversed, every field's position p is taken as
// edgeWidth + 256 - p.
bool ExportTransition(ExportProgress* progress, const std::string& sourcePath,
                      const std::string& outPath, int32_t durationMs, double frameRate,
                      std::span<const uint8_t> pattern, int32_t width, int32_t height,
                      int32_t edgeWidth, int32_t* code = nullptr, ExportOutcome* outcome = nullptr,
                      WipeDirection direction = WipeDirection::kForward);

// Combines every frame of the source with the mask picture of the same
// number, starting at maskPath and counting up with NextNumberedName; the
// first number that cannot be read ends the file. maskPath is left at the
// name after the last mask read.
bool ExportMaskSequence(ExportProgress* progress, const std::string& sourcePath,
                        std::string& maskPath, const std::string& outPath, int32_t* code = nullptr,
                        ExportOutcome* outcome = nullptr);

// Counts the number in a file name up by one: the digits just before the
// first "." of the name (after the last "/"), or before its end, with a
// carry that turns anything above "9" into "0" and moves left. The first
// character of the path is never changed. wipe009.tga becomes wipe010.tga,
// wipe999.tga becomes w000000.tga.
void NextNumberedName(std::string& path);

// The wipe positions of the two fields of frame `frame` of a transition of
// frameCount frames: the first field runs from 0 at frame 0 up to
// edgeWidth + 256 at the middle frame and back, the second stands half a
// frame later on that path.
void ExportFieldPositions(int32_t frame, int32_t frameCount, int32_t edgeWidth, int32_t& p1,
                          int32_t& p2);
