#include "avi/export_session.h"

#include <cmath>

#include "avi/export_progress.h"
#include "avi/video_data.h"
#include "support/error_codes.h"
#include "support/report_error.h"

namespace {


// A positive double truncated into 32 bits, saturated.
uint32_t TruncateToU32(double value) {
  if (!(value > 0))
    return 0;
  if (value >= 4294967295.0)
    return UINT32_MAX;
  return static_cast<uint32_t>(value);
}

}  // namespace

MainHeader ExportMainHeader(double rate, int32_t frameCount, uint32_t width, uint32_t height) {
  MainHeader header;
  header.microSecPerFrame = std::isfinite(rate) && rate > 0 ? TruncateToU32(1000000.0 / rate) : 0;
  header.flags = kAviHasIndex;
  header.totalFrames = frameCount > 0 ? static_cast<uint32_t>(frameCount) : 0;
  header.width = width;
  header.height = height;
  return header;
}

StreamHeader ExportStreamHeader(double rate, int32_t quality) {
  StreamHeader header;
  header.type = kFourCCVids;
  header.handler = kFourCCOrvt;
  header.scale = 1000;
  header.rate = std::isfinite(rate) ? TruncateToU32(rate * 1000.0 + 0.499) : 0;
  header.quality = static_cast<uint32_t>(quality);
  return header;
}

void ReportExportError(int32_t code, const std::string& file, const char* caption) {
  ReportFileError(code, caption, file);
}

ExportSession::ExportSession(ExportProgress* progress, const std::string& outPath)
    : progress_(progress), outPath_(outPath) {}

ExportSession::~ExportSession() {
  // Only a caller that forgot End gets here with a writer: keep nothing.
  AviWriterAbandon(writer_);
  CloseProgress();
}

int32_t ExportSession::Begin(const VideoData& source, int32_t frameCount, uint32_t width,
                             uint32_t height, std::span<const uint8_t> format) {
  const double rate = source.GetFrameRate();
  int32_t code =
      AviWriterCreate(writer_, outPath_, ExportMainHeader(rate, frameCount, width, height));
  if (code != kOk)
    return code;
  code = AviWriterAddStream(*writer_, &stream_, ExportStreamHeader(rate, source.GetQuality()),
                            format.data(), static_cast<uint32_t>(format.size()));
  if (code != kOk)
    return code;
  if (progress_) {
    progress_->Open(kExportCaption, outPath_, frameCount, true);
    progressOpen_ = true;
  }
  return kOk;
}

int32_t ExportSession::WriteFrame(std::span<const uint8_t> frame, int32_t done) {
  if (!writer_)
    return kErrBadParameter;
  const int32_t code =
      AviWriterWriteChunk(*writer_, stream_, frame.data(), static_cast<uint32_t>(frame.size()),
                          ChunkType("dc"), kIndexKeyFrame);
  if (code != kOk)
    return code;
  if (progressOpen_ && !progress_->Update(done))
    return kErrCancelled;
  return kOk;
}

bool ExportSession::End(ExportEnding ending, int32_t reason, const std::string& file,
                        int32_t* code) {
  int32_t result = reason;
  switch (ending) {
    case ExportEnding::kFinished:
      result = writer_ ? AviWriterClose(writer_) : kErrBadParameter;
      break;
    case ExportEnding::kStopped:
      // What closing says does not change why the export stopped.
      if (writer_)
        AviWriterClose(writer_);
      break;
    case ExportEnding::kFailed:
      AviWriterAbandon(writer_);
      break;
  }
  CloseProgress();
  const bool finished = ending == ExportEnding::kFinished && result == kOk;
  if (!finished && result == kOk)
    result = kErrBadParameter;  // a stop without a reason is a caller's slip
  if (!finished)
    ReportExportError(result, ending == ExportEnding::kFinished || file.empty() ? outPath_ : file);
  if (code)
    *code = result;
  return finished;
}

void ExportSession::CloseProgress() {
  if (progressOpen_) {
    progressOpen_ = false;
    progress_->Close();
  }
}
