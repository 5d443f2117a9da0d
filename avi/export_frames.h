#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "avi/export_session.h"

class DeviceFrameBuilder;
struct ExportBuffers;
class VideoData;

// The frame loop both exports run. Each frame: the kind's own input is read,
// the source frame is read into the source buffer, its video field blocks
// start the output frame, the kind appends its two blocks, and the session
// writes the frame. How the export ends is decided here alone, and the
// session is ended with it.

// Why an export ended: the ending, the code to report and the file it names
// (the output file when empty).
struct ExportStop {
  ExportEnding ending = ExportEnding::kFinished;
  int32_t code = 0;
  std::string file;
};

// What one kind of export adds to each frame.
class ExportBlockMaker {
 public:
  virtual ~ExportBlockMaker() = default;

  // Reads what frame `frame` needs besides its source frame, before that is
  // read; the stop that ends the export instead, if any.
  virtual std::optional<ExportStop> ReadInput(int32_t frame) = 0;

  // Appends the frame's own blocks after its video blocks. The source frame
  // buffer has been copied out by now and may serve as scratch. 0, or
  // kErrBadParameter when they do not fit: the source's video left no room.
  virtual int32_t AppendBlocks(int32_t frame, DeviceFrameBuilder& out) = 0;
};

// Begins the session with stream, writes its frames from source and maker
// into the export's buffers, and ends the session: End's answer.
bool WriteExportFrames(ExportSession& session, VideoData& source, const ExportStream& stream,
                       ExportBuffers& buffers, ExportBlockMaker& maker);
