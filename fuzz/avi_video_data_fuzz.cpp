// Opens arbitrary bytes as a source AVI file and reads every frame the way
// the export does, into a buffer of its source-frame size. A source that
// failed to open must offer nothing; a ready one must describe only frames
// that lie inside the file and read back exactly their stored bytes.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <vector>

#include "avi/avi_format.h"
#include "avi/avi_video_data.h"
#include "avi/device_frame.h"
#include "fuzz/fuzz_input_file.h"
#include "support/error_codes.h"

namespace {

void CheckRefused(AVIVideoData& source, std::span<uint8_t> buffer) {
  const int32_t status = source.GetStatus();
  if (status != kErrNoMemory && status != kErrBadFile)
    __builtin_trap();
  if (source.GetFrameCount() != 0 || !source.Frames().empty())
    __builtin_trap();
  int32_t size = -1;
  if (source.ReadFrame(0, buffer, size) != status || size != 0)
    __builtin_trap();
}

void CheckHeaders(const AVIVideoData& source) {
  if (source.GetHandler() != kFourCCOrvt ||
      source.GetFormatSize() < static_cast<int32_t>(kBitmapInfoSize) ||
      source.GetBitmapInfo().compression != kFourCCOrvt) {
    __builtin_trap();
  }
  const double rate = source.GetFrameRate();
  if (!(rate > 0.0) || !std::isfinite(rate))
    __builtin_trap();
  const int32_t stream = source.StreamNumber();
  if (stream < 0 || static_cast<uint32_t>(stream) >= source.GetMainHeader().streams ||
      source.FrameIds()[0] != StreamChunkId(static_cast<uint32_t>(stream), 'd', 'c')) {
    __builtin_trap();
  }
  if (source.GetFrameCount() != static_cast<int32_t>(source.Frames().size()))
    __builtin_trap();
}

void CheckFrames(AVIVideoData& source, std::span<const uint8_t> file, std::span<uint8_t> buffer) {
  int32_t size = -1;
  // Numbers outside the table read as the empty frame.
  for (const int32_t number : {-1, source.GetFrameCount()}) {
    if (source.ReadFrame(number, buffer, size) != kOk || size != 4 ||
        !IsDeviceFrame(buffer.first(4)))
      __builtin_trap();
  }
  for (int32_t i = 0; i < source.GetFrameCount(); ++i) {
    const FrameLocation& at = source.Frames()[static_cast<size_t>(i)];
    const bool hasBytes = static_cast<int32_t>(at.length) > 0;
    if (hasBytes && (at.payloadOffset > file.size() || file.size() - at.payloadOffset < at.length))
      __builtin_trap();
    const int32_t code = source.ReadFrame(i, buffer, size);
    // Every frame lies in the file, so reading one never fails.
    if (code != kOk && code != kErrBadFile)
      __builtin_trap();
    if (size < 0 || static_cast<size_t>(size) > buffer.size())
      __builtin_trap();
    if (!hasBytes) {
      if (code != kOk || size != 4 || !IsDeviceFrame(buffer.first(4)))
        __builtin_trap();
      continue;
    }
    if (static_cast<size_t>(at.length) > buffer.size()) {
      if (code != kErrBadFile)
        __builtin_trap();
      continue;
    }
    const std::span<const uint8_t> stored = file.subspan(at.payloadOffset, at.length);
    if (static_cast<size_t>(size) != stored.size() ||
        std::memcmp(buffer.data(), stored.data(), stored.size()) != 0) {
      __builtin_trap();
    }
    if ((code == kOk) != IsDeviceFrame(stored))
      __builtin_trap();
    // A buffer one byte short of the frame is refused untouched.
    std::vector<uint8_t> small(stored.size() - 1);
    if (source.ReadFrame(i, small, size) != kErrBadFile || size != 0)
      __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FuzzInputFile input("source.avi");
  static std::vector<uint8_t> buffer(kSourceFrameCapacity);
  if (!input.Write(data, size))
    return 0;

  AVIVideoData source(input.Path());
  input.Remove();
  if (source.GetStatus() != kOk) {
    CheckRefused(source, buffer);
    return 0;
  }
  CheckHeaders(source);
  CheckFrames(source, std::span(data, size), buffer);
  return 0;
}
