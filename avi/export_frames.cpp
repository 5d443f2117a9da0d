#include "avi/export_frames.h"

#include <span>

#include "avi/device_frame.h"
#include "avi/export_buffers.h"
#include "avi/video_data.h"
#include "support/error_codes.h"

namespace {

// Starts the output frame with the source frame's video field blocks, in
// their stored order; every other block is dropped. 0, kErrBadFile for a
// frame whose blocks do not fit it, kErrBadParameter when the output buffer
// is full.
int32_t AppendVideoFieldBlocks(std::span<const uint8_t> source, DeviceFrameBuilder& out) {
  FrameBlockWalker walker(source);
  FrameBlock block;
  while (walker.Next(block)) {
    if (block.header.Type() != kVideoFieldBlock)
      continue;
    const int32_t code = out.AppendStored(block.whole);
    if (code != kOk)
      return code;
  }
  return walker.Status();
}

// Makes and writes frame `frame`; the stop when the export ends here.
std::optional<ExportStop> WriteOneFrame(ExportSession& session, VideoData& source, int32_t frame,
                                        ExportBuffers& buffers, ExportBlockMaker& maker) {
  if (std::optional<ExportStop> stop = maker.ReadInput(frame))
    return stop;
  const std::span<uint8_t> sourceFrame(buffers.sourceFrame);
  int32_t size = 0;
  int32_t code = source.ReadFrame(frame, sourceFrame, size);
  if (code != kOk)
    return ExportStop{ExportEnding::kStopped, code, source.GetFileName()};

  // The frame before this one may still be on its way to the disk from the
  // other buffer.
  DeviceFrameBuilder out(buffers.outputFrames[static_cast<size_t>(frame) % 2]);
  code = AppendVideoFieldBlocks(sourceFrame.first(static_cast<size_t>(size)), out);
  if (code == kOk)
    code = maker.AppendBlocks(frame, out);
  // A frame that is malformed, or whose video leaves no room for the
  // export's blocks, is the source's fault.
  if (code != kOk)
    return ExportStop{ExportEnding::kStopped, kErrBadFile, source.GetFileName()};

  code = session.WriteFrame(out.Frame(), frame + 1);
  if (code == kErrCancelled)
    return ExportStop{ExportEnding::kStopped, code, {}};
  if (code != kOk)
    return ExportStop{ExportEnding::kFailed, code, {}};
  return std::nullopt;
}

}  // namespace

bool WriteExportFrames(ExportSession& session, VideoData& source, const ExportStream& stream,
                       ExportBuffers& buffers, ExportBlockMaker& maker) {
  const int32_t begun = session.Begin(source, stream);
  std::optional<ExportStop> stop;
  if (begun != kOk)
    stop = ExportStop{ExportEnding::kFailed, begun, {}};
  for (int32_t i = 0; !stop && i < stream.frameCount; ++i)
    stop = WriteOneFrame(session, source, i, buffers, maker);
  if (!stop)
    stop = ExportStop{};
  return session.End(stop->ending, stop->code, stop->file);
}
