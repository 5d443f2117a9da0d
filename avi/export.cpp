#include "avi/export.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "avi/alpha_encoder.h"
#include "avi/avi_video_data.h"
#include "avi/device_frame.h"
#include "avi/export_buffers.h"
#include "avi/export_frames.h"
#include "avi/export_session.h"
#include "avi/mask_picture.h"
#include "avi/replacing_file.h"
#include "support/error_codes.h"
#include "support/report_error.h"
#include "support/time_code.h"

namespace {

// Appends one field's alpha block: the transition table for position applied
// to the field of the pattern, then the lead of zeros and the encoded field.
// The alpha is computed in the source frame buffer, whose video blocks have
// been copied out by now. 0, or kErrBadParameter when the block does not
// fit.
int32_t AppendAlphaField(DeviceFrameBuilder& out, uint32_t tag, int32_t position, int32_t edgeWidth,
                         const uint8_t* field, int32_t width, int32_t lines, ExportBuffers& b) {
  const size_t bytes = static_cast<size_t>(width) * static_cast<size_t>(lines);
  BuildTransitionTable(b.table, position, edgeWidth);
  ApplyTransitionTable(b.sourceFrame.data(), field, b.table, bytes);
  const std::span<uint8_t> room = out.BeginBlock(tag);
  if (room.size() < kAlphaLeadBytes)
    return kErrBadParameter;
  std::memset(room.data(), 0, kAlphaLeadBytes);
  const uint32_t encoded =
      EncodeAlphaField(std::span<const uint8_t>(b.sourceFrame.data(), bytes), width, lines,
                       room.subspan(kAlphaLeadBytes), b.segmentScratch);
  if (encoded == 0)
    return kErrBadParameter;
  return out.EndBlock(kAlphaLeadBytes + encoded);
}

// A transition's blocks: per field the wipe at its position in the frame.
class AlphaBlocks : public ExportBlockMaker {
 public:
  AlphaBlocks(std::span<const uint8_t> pattern, int32_t width, int32_t height, int32_t edgeWidth,
              int32_t frameCount, WipeDirection direction, ExportBuffers& buffers)
      : firstField_(pattern.data()),
        // The second field starts after all of the first, which for an odd
        // height holds one line more than is encoded.
        secondField_(pattern.data() + static_cast<size_t>(width) * (height - height / 2)),
        width_(width),
        fieldLines_(height / 2),
        edgeWidth_(edgeWidth),
        frameCount_(frameCount),
        direction_(direction),
        buffers_(buffers) {}

  std::optional<ExportStop> ReadInput(int32_t) override { return std::nullopt; }

  int32_t AppendBlocks(int32_t frame, DeviceFrameBuilder& out) override {
    int32_t p1 = 0, p2 = 0;
    ExportFieldPositions(frame, frameCount_, edgeWidth_, p1, p2);
    p1 = DirectedPosition(p1, edgeWidth_, direction_);
    p2 = DirectedPosition(p2, edgeWidth_, direction_);
    const int32_t code = AppendAlphaField(out, kAlphaFieldBlock, p1, edgeWidth_, firstField_,
                                          width_, fieldLines_, buffers_);
    if (code != kOk)
      return code;
    return AppendAlphaField(out, kAlphaFieldBlock | kSecondFieldBit, p2, edgeWidth_, secondField_,
                            width_, fieldLines_, buffers_);
  }

 private:
  const uint8_t* firstField_;
  const uint8_t* secondField_;
  int32_t width_;
  int32_t fieldLines_;
  int32_t edgeWidth_;
  int32_t frameCount_;
  WipeDirection direction_;
  ExportBuffers& buffers_;
};

// A mask sequence's blocks: per field 64 lines of the frame's mask picture,
// read from maskPath, which then names the next one.
class MaskBlocks : public ExportBlockMaker {
 public:
  MaskBlocks(std::string& maskPath, ExportBuffers& buffers)
      : maskPath_(maskPath), buffers_(buffers) {}

  std::optional<ExportStop> ReadInput(int32_t frame) override {
    MaskPicture mask;
    const int32_t code = ReadMaskPicture(maskPath_, buffers_.maskImage, mask);
    if (code == kErrNoFile || code == kErrCannotRead) {
      // The first missing number ends the sequence. Without a single mask
      // there is no file to make, and the mask is what to report.
      if (frame == 0)
        return ExportStop{ExportEnding::kFailed, code, maskPath_};
      return ExportStop{};
    }
    if (code != kOk)
      return ExportStop{ExportEnding::kStopped, code, maskPath_};
    NextNumberedName(maskPath_);
    ExtractMaskLines(mask, buffers_.maskImage, buffers_.maskLines);
    fieldBytes_ = static_cast<size_t>(mask.width) * kMaskFieldLines;
    return std::nullopt;
  }

  int32_t AppendBlocks(int32_t, DeviceFrameBuilder& out) override {
    const std::span<const uint8_t> lines(buffers_.maskLines);
    const int32_t code = out.AppendBlock(kMaskFieldBlock, lines.first(fieldBytes_));
    if (code != kOk)
      return code;
    return out.AppendBlock(kMaskFieldBlock | kSecondFieldBit,
                           lines.subspan(fieldBytes_, fieldBytes_));
  }

 private:
  std::string& maskPath_;
  ExportBuffers& buffers_;
  size_t fieldBytes_ = 0;
};

// The source of a transition: the AVI file when there is a usable one, else
// empty frames at the frame size and the given rate.
std::unique_ptr<VideoData> OpenTransitionSource(const std::string& path, int32_t width,
                                                int32_t height, double frameRate) {
  if (!path.empty()) {
    auto avi = std::make_unique<AVIVideoData>(path);
    if (avi->GetStatus() == kOk)
      return avi;
  }
  return std::make_unique<VideoData>(width, height, frameRate);
}

bool FrameSizeFits(int32_t width, int32_t height) {
  return width > 0 && height >= 2 && width <= kExportMaxWidth && height <= kExportMaxHeight;
}

bool Refuse(int32_t code, const char* caption, const std::string& file, ExportOutcome& outcome) {
  ReportExportError(code, file, caption);
  outcome = ExportOutcome{};
  outcome.code = code;
  outcome.codeFile = file;
  return false;
}

// An input that is the output file itself, which could only be written in
// place: it would be cut short under the export that reads it.
bool OverwritesInPlace(const std::string& input, const std::string& outPath) {
  struct stat in {
  }, out{};
  return !input.empty() && stat(input.c_str(), &in) == 0 && stat(outPath.c_str(), &out) == 0 &&
         in.st_dev == out.st_dev && in.st_ino == out.st_ino &&
         ReplacingFile::WouldWriteInPlace(outPath);
}

// What a caller asked to hear of an export's end.
bool Tell(bool written, const ExportOutcome& outcome, int32_t* code, ExportOutcome* out) {
  if (code)
    *code = outcome.code;
  if (out)
    *out = outcome;
  return written;
}

// The fewest bytes a frame of each export takes, without any source video:
// the magic and the two blocks of its own kind.
uint64_t LeastTransitionFrame(int32_t width, int32_t fieldLines) {
  return kDeviceFrameMagicSize +
         2 * (kFrameBlockHeaderSize + kAlphaLeadBytes + AlphaFieldLeast(width, fieldLines));
}
// A mask is at least one pixel wide.
constexpr uint64_t kLeastMaskFrame =
    kDeviceFrameMagicSize + 2 * (kFrameBlockHeaderSize + kMaskFieldLines);

}  // namespace

void ExportFieldPositions(int32_t frame, int32_t frameCount, int32_t edgeWidth, int32_t& p1,
                          int32_t& p2) {
  const int64_t span = static_cast<int64_t>(edgeWidth) + 256;
  // A one-frame transition would have no half to divide by; it holds the
  // wipe's first frame.
  const int64_t half = std::max(1, frameCount / 2);
  const int64_t quarter = frameCount / 4;
  const int64_t i = frame;
  if (i <= half) {
    p1 = static_cast<int32_t>((i * span + quarter) / half);
    p2 = static_cast<int32_t>((i * span + span / 2 + quarter) / half);
  } else {
    const int64_t left = static_cast<int64_t>(frameCount) - i;
    p1 = static_cast<int32_t>((left * span + quarter) / half);
    p2 = static_cast<int32_t>((left * span - span / 2 + quarter) / half);
  }
}

namespace {

bool TransitionTo(ExportProgress* progress, const std::string& sourcePath,
                  const std::string& outPath, int32_t durationMs, double frameRate,
                  std::span<const uint8_t> pattern, int32_t width, int32_t height,
                  int32_t edgeWidth, WipeDirection direction, ExportOutcome& outcome) {
  // The alpha is computed at the frame size from a pattern of that size;
  // anything the buffers cannot hold is refused before a file is touched.
  const size_t frameBytes = static_cast<size_t>(std::max(width, 0)) * std::max(height, 0);
  if (!FrameSizeFits(width, height) || pattern.size() < frameBytes)
    return Refuse(kErrVideoParameters, kExportCaption, outPath, outcome);
  ExportBuffers* buffers = nullptr;
  if (AcquireExportBuffers(buffers) != kOk)
    return Refuse(kErrNoMemory, kExportCaption, outPath, outcome);

  const std::unique_ptr<VideoData> source =
      OpenTransitionSource(sourcePath, width, height, frameRate);
  if (OverwritesInPlace(source->GetFileName(), outPath))
    return Refuse(kErrNoFile, kExportCaption, outPath, outcome);
  const int32_t frames =
      std::max(0, MsToFrames(durationMs, static_cast<float>(source->GetFrameRate())));
  // The format comes from the source file and may be of any size.
  std::vector<uint8_t> format;
  try {
    format.assign(source->GetFormat(), source->GetFormat() + source->GetFormatSize());
  } catch (const std::bad_alloc&) {
    return Refuse(kErrNoMemory, kExportCaption, outPath, outcome);
  }
  BitmapInfoHeader bitmap = LoadBitmapInfoHeader(format);
  bitmap.bitCount = 32;
  StoreBitmapInfoHeader(bitmap, format);

  ExportSession session(progress, outPath, outcome);
  AlphaBlocks alpha(pattern, width, height, edgeWidth, frames, direction, *buffers);
  const ExportStream stream{frames, static_cast<uint32_t>(width), static_cast<uint32_t>(height),
                            format, LeastTransitionFrame(width, height / 2)};
  return WriteExportFrames(session, *source, stream, *buffers, alpha);
}

bool MaskSequenceTo(ExportProgress* progress, const std::string& sourcePath, std::string& maskPath,
                    const std::string& outPath, ExportOutcome& outcome) {
  if (sourcePath.empty())
    return Refuse(kErrNoFile, "Open AVI", sourcePath, outcome);
  AVIVideoData source(sourcePath);
  if (source.GetStatus() != kOk)
    return Refuse(kErrNoFile, "Open AVI", sourcePath, outcome);
  const int32_t formatSize = source.GetFormatSize();
  if (formatSize < static_cast<int32_t>(kBitmapFrameSizeEnd))
    return Refuse(kErrBadFile, "Open AVI", sourcePath, outcome);
  const BitmapInfoHeader bitmap = source.GetBitmapInfo();
  const uint32_t width = static_cast<uint32_t>(bitmap.width);
  const uint32_t height = static_cast<uint32_t>(bitmap.height);
  if (width > static_cast<uint32_t>(kExportMaxWidth) ||
      height > static_cast<uint32_t>(kExportMaxHeight)) {
    return Refuse(kErrBadFile, "Open AVI", sourcePath, outcome);
  }
  if (OverwritesInPlace(sourcePath, outPath) || OverwritesInPlace(maskPath, outPath))
    return Refuse(kErrNoFile, kExportCaption, outPath, outcome);
  ExportBuffers* buffers = nullptr;
  if (AcquireExportBuffers(buffers) != kOk)
    return Refuse(kErrNoMemory, kExportCaption, outPath, outcome);

  ExportSession session(progress, outPath, outcome);
  MaskBlocks masks(maskPath, *buffers);
  const ExportStream stream{
      source.GetFrameCount(), width, height,
      std::span<const uint8_t>(source.GetFormat(), static_cast<size_t>(formatSize)),
      kLeastMaskFrame};
  return WriteExportFrames(session, source, stream, *buffers, masks);
}

}  // namespace

bool ExportTransition(ExportProgress* progress, const std::string& sourcePath,
                      const std::string& outPath, int32_t durationMs, double frameRate,
                      std::span<const uint8_t> pattern, int32_t width, int32_t height,
                      int32_t edgeWidth, int32_t* code, ExportOutcome* outcome,
                      WipeDirection direction) {
  ExportOutcome ended;
  const bool written = TransitionTo(progress, sourcePath, outPath, durationMs, frameRate, pattern,
                                    width, height, edgeWidth, direction, ended);
  return Tell(written, ended, code, outcome);
}

bool ExportMaskSequence(ExportProgress* progress, const std::string& sourcePath,
                        std::string& maskPath, const std::string& outPath, int32_t* code,
                        ExportOutcome* outcome) {
  ExportOutcome ended;
  const bool written = MaskSequenceTo(progress, sourcePath, maskPath, outPath, ended);
  return Tell(written, ended, code, outcome);
}

void NextNumberedName(std::string& path) {
  // Only the file name counts: a dot in a folder name is not its extension.
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  size_t end = path.find('.', nameStart);
  if (end == std::string::npos)
    end = path.size();
  for (size_t k = end; k-- > 1;) {
    const auto next = static_cast<signed char>(static_cast<signed char>(path[k]) + 1);
    if (next <= '9') {
      path[k] = static_cast<char>(next);
      return;
    }
    path[k] = '0';
  }
}
