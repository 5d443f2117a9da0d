#include "avi/export_session.h"

#include <algorithm>
#include <cmath>
#include <new>

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

bool ExportFitsFile(double rate, int32_t frameCount, uint64_t leastFrameBytes,
                    uint64_t formatSize) {
  if (!(rate <= kExportMaxFrameRate) || frameCount < 0 || formatSize > kRiffMaxSize)
    return false;
  // As the writer lays the file out: the headers' room, then per frame its
  // chunk (header, payload, pad byte) and its "idx1" entry.
  const uint64_t headers = std::max<uint64_t>(kAviMinMoviStart, formatSize + kAviStreamReserve);
  const uint64_t perFrame = 8 + leastFrameBytes + (leastFrameBytes & 1) + kIndexEntrySize;
  const uint64_t room = kRiffMaxSize + 8 - headers - 8;
  return static_cast<uint64_t>(frameCount) <= room / perFrame;
}

void ReportExportError(int32_t code, const std::string& file, const char* caption) {
  ReportFileError(code, caption, file);
}

ExportSession::ExportSession(ExportProgress* progress, const std::string& outPath,
                             ExportOutcome& outcome)
    : progress_(progress), outPath_(outPath), outcome_(outcome) {
  outcome_ = ExportOutcome{};
}

ExportSession::~ExportSession() {
  // Only a caller that forgot End gets here with a writer: keep nothing.
  FinishWriting();
  AviWriterAbandon(writer_);
  CloseProgress();
}

int32_t ExportSession::Begin(const VideoData& source, const ExportStream& stream) {
  const double rate = source.GetFrameRate();
  outcome_.framesPlanned = stream.frameCount;
  outcome_.frameRate = rate;
  outcome_.leastFrameBytes = stream.leastFrameBytes;
  // Past these the writer would fail only at the 2 GB limit, after writing
  // all of it, or write headers that say another rate.
  if (!ExportFitsFile(rate, stream.frameCount, stream.leastFrameBytes, stream.format.size()))
    return kErrVideoParameters;
  int32_t code = AviWriterCreate(
      writer_, outPath_, ExportMainHeader(rate, stream.frameCount, stream.width, stream.height));
  if (code != kOk)
    return code;
  code = AviWriterAddStream(*writer_, &stream_, ExportStreamHeader(rate, source.GetQuality()),
                            stream.format.data(), static_cast<uint32_t>(stream.format.size()));
  if (code != kOk)
    return code;
  writing_.reset(new (std::nothrow) ExportWriteThread(*writer_, stream_));
  if (!writing_)
    return kErrNoMemory;
  code = writing_->Start();
  if (code != kOk)
    return code;
  if (progress_) {
    progress_->Open(kExportCaption, outPath_, stream.frameCount, true);
    progressOpen_ = true;
  }
  return kOk;
}

int32_t ExportSession::WriteFrame(std::span<const uint8_t> frame, int32_t done) {
  if (!writing_)
    return kErrBadParameter;
  const int32_t code = writing_->Write(frame);
  if (code != kOk)
    return code;
  if (progressOpen_ && !progress_->Update(done))
    return kErrCancelled;
  return kOk;
}

int32_t ExportSession::FinishWriting() {
  if (!writing_)
    return kOk;
  const int32_t code = writing_->Finish();
  outcome_.framesWritten = writing_->FramesWritten();
  writing_.reset();
  return code;
}

bool ExportSession::End(ExportEnding ending, int32_t reason, const std::string& file) {
  if (ending != ExportEnding::kFinished && reason == kOk)
    reason = kErrBadParameter;  // a stop without a reason is a caller's slip
  // A frame the disk refused decides the end whatever came after it: the
  // export would have failed there had the writing kept pace.
  const int32_t written = FinishWriting();
  if (written != kOk) {
    ending = ExportEnding::kFailed;
    reason = written;
  }
  const std::string& named = written != kOk || file.empty() ? outPath_ : file;
  if (ending == ExportEnding::kStopped) {
    outcome_.stopCode = reason;
    outcome_.stopFile = named;
    // Nothing written is nothing to keep, whatever stopped the export.
    if (outcome_.framesWritten == 0)
      ending = ExportEnding::kFailed;
  }
  const bool created = writer_ != nullptr;
  const bool inPlace = created && writer_->file.WritesInPlace();
  int32_t closed = kOk;
  if (ending == ExportEnding::kFailed)
    AviWriterAbandon(writer_);
  else
    closed = created ? AviWriterClose(writer_) : kErrBadParameter;
  CloseProgress();

  if (ending != ExportEnding::kFailed && closed == kOk)
    outcome_.output = ExportOutput::kComplete;
  else
    outcome_.output = inPlace ? ExportOutput::kIncomplete : ExportOutput::kUntouched;
  int32_t result = reason;
  std::string reported = named;
  if (ending == ExportEnding::kFinished) {
    result = closed;
    reported = outPath_;
  }
  if (ending == ExportEnding::kStopped) {
    // Why it stopped comes first. The frames before the stop were to be
    // kept; a close that fails is a failure of its own, even after a cancel.
    ReportExportError(reason, named);
    if (closed != kOk) {
      result = closed;
      reported = outPath_;
      ReportExportError(closed, outPath_);
    }
  } else {
    ReportExportError(result, reported);
  }
  outcome_.code = result;
  outcome_.codeFile = reported;
  return ending == ExportEnding::kFinished && result == kOk;
}

void ExportSession::CloseProgress() {
  if (progressOpen_) {
    progressOpen_ = false;
    progress_->Close();
  }
}
