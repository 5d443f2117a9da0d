#include "avi/avi_video_data.h"

#include <climits>
#include <new>

#include "avi/device_frame.h"
#include "support/error_codes.h"

namespace {

// The part of a stream header every form has: everything before the frame
// rectangle, whose width differs between the 56- and 64-byte forms.
constexpr size_t kStreamHeaderCoreSize = 48;

}  // namespace

AVIVideoData::AVIVideoData(const std::string& fileName) : fileName_(fileName) {
  status_ = Open();
  if (status_ != kOk) {
    frames_.clear();
    file_.Close();
  }
}

int32_t AVIVideoData::ReadHeaders(RiffReader& riff, const RiffChunk& form, RiffChunk& indx,
                                  bool& hasIndx) {
  using Find = RiffReader::Find;
  RiffChunk hdrl, avih;
  if (riff.Descend(hdrl, &form, Find::kList, kFourCCHdrl) != kOk)
    return kErrBadFile;
  if (riff.Descend(avih, &hdrl, Find::kChunk, kFourCCAvih) != kOk)
    return kErrBadFile;
  // A longer "avih" keeps its extra bytes to itself; Ascend passes over them.
  uint8_t bytes[kStreamHeaderSize] = {};
  if (avih.size < kMainHeaderSize || riff.Read(bytes, kMainHeaderSize) != kOk)
    return kErrBadFile;
  mainHeader_ = LoadMainHeader(bytes);
  hasMainHeader_ = true;
  if (riff.Ascend(avih) != kOk)
    return kErrBadFile;

  for (uint32_t i = 0; i < mainHeader_.streams; ++i) {
    RiffChunk strl, strh;
    if (riff.Descend(strl, &hdrl, Find::kList, kFourCCStrl) != kOk)
      return kErrBadFile;
    if (riff.Descend(strh, &strl, Find::kChunk, kFourCCStrh) != kOk)
      return kErrBadFile;
    if (strh.size < kStreamHeaderCoreSize)
      return kErrBadFile;
    // The short form leaves the last eight bytes of the rectangle zero.
    const size_t take = strh.size < kStreamHeaderSize ? strh.size : kStreamHeaderSize;
    uint8_t header[kStreamHeaderSize] = {};
    if (riff.Read(header, take) != kOk || riff.Ascend(strh) != kOk)
      return kErrBadFile;
    const StreamHeader sh = LoadStreamHeader(header);
    if (sh.type != kFourCCVids) {
      if (riff.Ascend(strl) != kOk)
        return kErrBadFile;
      continue;
    }

    RiffChunk strf;
    if (riff.Descend(strf, &strl, Find::kChunk, kFourCCStrf) != kOk)
      return kErrBadFile;
    // The export reads the bitmap header's fields; anything shorter is no
    // video format.
    if (strf.size < kBitmapInfoSize)
      return kErrBadFile;
    try {
      format_.resize(strf.size);
    } catch (const std::bad_alloc&) {
      return kErrNoMemory;
    }
    if (riff.Read(format_.data(), format_.size()) != kOk)
      return kErrBadFile;
    if (riff.Ascend(strf) != kOk)
      return kErrBadFile;

    // OpenDML writers put the stream's super index after its format.
    const int32_t found = riff.Descend(indx, &strl, Find::kChunk, kFourCCIndx);
    if (found != kOk && found != RiffReader::kNotFound)
      return kErrBadFile;
    hasIndx = found == kOk;
    if (riff.Ascend(strl) != kOk)
      return kErrBadFile;
    streamHeader_ = sh;
    stream_ = static_cast<int32_t>(i);
    break;
  }
  if (stream_ < 0) {
    problem_ = Problem::kNoVideoStream;
    return kErrBadFile;
  }
  return riff.Ascend(hdrl) == kOk ? kOk : kErrBadFile;
}

int32_t AVIVideoData::Open() {
  problem_ = Problem::kCannotOpen;
  if (!file_.Open(fileName_))
    return kErrNoFile;
  RiffReader riff(file_);
  RiffChunk form;
  problem_ = Problem::kNotAvi;
  if (riff.DescendUnfinished(form, nullptr, RiffReader::Find::kRiff, kFourCCAvi) != kOk)
    return kErrBadFile;

  RiffChunk indx;
  bool hasIndx = false;
  problem_ = Problem::kHeaders;
  if (const int32_t code = ReadHeaders(riff, form, indx, hasIndx))
    return code;

  problem_ = Problem::kHandler;
  if (streamHeader_.handler != kFourCCOrvd && streamHeader_.handler != kFourCCOrvt) {
    return kErrBadFile;
  }
  // Without both, frames have no rate: the frame count of a duration would
  // be infinite.
  problem_ = Problem::kNoFrameRate;
  if (streamHeader_.rate == 0 || streamHeader_.scale == 0)
    return kErrBadFile;
  streamHeader_.handler = kFourCCOrvt;
  BitmapInfoHeader bitmap = LoadBitmapInfoHeader(format_);
  bitmap.compression = kFourCCOrvt;
  StoreBitmapInfoHeader(bitmap, format_);

  const uint32_t number = static_cast<uint32_t>(stream_);
  const uint8_t h0 = static_cast<uint8_t>(streamHeader_.handler);
  const uint8_t h1 = static_cast<uint8_t>(streamHeader_.handler >> 8);
  const uint8_t h2 = static_cast<uint8_t>(streamHeader_.handler >> 16);
  const uint8_t h3 = static_cast<uint8_t>(streamHeader_.handler >> 24);
  frameIds_ = {StreamChunkId(number, 'd', 'c'), StreamChunkId(number, 'd', 'b'),
               StreamChunkId(number, h0, h1), StreamChunkId(number, h2, h3)};

  const uint32_t total = mainHeader_.totalFrames;
  problem_ = Problem::kFrames;
  RiffChunk movi;
  if (FindMoviList(riff, form, movi) != kOk)
    return kErrBadFile;
  // A writer that stopped left no index behind "movi" and no count worth
  // trusting: what the file holds is what it has.
  unfinished_ = form.unfinished || movi.unfinished;
  if (unfinished_) {
    origin_ = FrameTableOrigin::kMoviWalk;
    const int32_t code = BuildFrameTableByWalking({riff, form, frameIds_, total, true}, frames_);
    if (code == kOk && frames_.size() > static_cast<size_t>(INT32_MAX))
      return kErrBadFile;
    return Ready(code);
  }

  // Each frame takes at least its 8-byte chunk header: a count the file
  // cannot hold is a lie, refused before the table is allocated.
  problem_ = Problem::kFrameCount;
  if (total > static_cast<uint32_t>(INT32_MAX) || static_cast<uint64_t>(total) * 8 > file_.Size()) {
    return kErrBadFile;
  }

  problem_ = Problem::kFrames;
  if (hasIndx) {
    const int32_t code = BuildFrameTableFromOpenDml(riff, indx, frameIds_, frames_);
    if (code != kNoOpenDmlIndex) {
      if (code == kOk && frames_.size() > static_cast<size_t>(INT32_MAX))
        return kErrBadFile;
      origin_ = FrameTableOrigin::kOpenDmlIndex;
      return Ready(code);
    }
  }
  const FrameTableInput input{riff, form, frameIds_, total};
  if ((mainHeader_.flags & kAviHasIndex) != 0) {
    return Ready(BuildFrameTableFromIndex(input, frames_, origin_));
  }
  origin_ = FrameTableOrigin::kMoviWalk;
  return Ready(BuildFrameTableByWalking(input, frames_));
}

int32_t AVIVideoData::Ready(int32_t code) {
  if (code == kOk)
    problem_ = Problem::kNone;
  return code;
}

int32_t AVIVideoData::GetFrameCount() const {
  return status_ == kOk ? static_cast<int32_t>(frames_.size()) : 0;
}

double AVIVideoData::GetFrameRate() const {
  if (streamHeader_.scale == 0)
    return 0.0;
  return static_cast<double>(streamHeader_.rate) / static_cast<double>(streamHeader_.scale);
}

int32_t AVIVideoData::ReadFrame(int32_t frameNumber, std::span<uint8_t> buffer, int32_t& size) {
  size = 0;
  if (status_ != kOk)
    return status_;
  if (frameNumber < 0 || frameNumber >= GetFrameCount())
    return WriteEmptyFrame(buffer, size);
  const FrameLocation& frame = frames_[static_cast<size_t>(frameNumber)];
  const int32_t length = static_cast<int32_t>(frame.length);
  if (length <= 0)
    return WriteEmptyFrame(buffer, size);
  if (static_cast<size_t>(length) > buffer.size())
    return kErrBadFile;

  if (!file_.Seek(frame.payloadOffset) || !file_.ReadExact(buffer.data(), length)) {
    return kErrCannotRead;
  }
  size = length;
  return IsDeviceFrame(buffer.first(static_cast<size_t>(length))) ? kOk : kErrBadFile;
}
