#include "avi/export_buffers.h"

#include <new>

#include "avi/device_frame.h"
#include "avi/export.h"
#include "support/error_codes.h"

int32_t AcquireExportBuffers(ExportBuffers*& buffers) {
  static ExportBuffers storage;
  static bool ready = false;
  buffers = nullptr;
  if (!ready) {
    try {
      storage.sourceFrame.resize(kSourceFrameCapacity);
      for (std::vector<uint8_t>& frame : storage.outputFrames)
        frame.resize(kOutputFrameCapacity);
      storage.segmentScratch.resize(kSegmentScratchCapacity);
      storage.maskImage.resize(kMaskImageCapacity);
      storage.maskLines.resize(kMaskLinesCapacity);
    } catch (const std::bad_alloc&) {
      storage = ExportBuffers{};
      return kErrNoMemory;
    }
    ready = true;
  }
  buffers = &storage;
  return kOk;
}
