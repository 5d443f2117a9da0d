#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "avi/avi_format.h"
#include "avi/avi_frame_table.h"
#include "avi/video_data.h"
#include "support/buffered_file.h"

// Device frames read from an AVI file that the card recorded (or that an
// export or another muxer wrote): the first "vids" stream, accepted only with
// the card's handler "ORVD" or "ORVT", its frames found through "idx1", the
// OpenDML indexes or the "movi" list itself. The file is opened and parsed at
// construction; GetStatus tells how that ended:
//   0  ready
//   2  no memory for the format or the frame table
//   3  the file cannot be opened
//   6  not an AVI file, headers unreadable or inconsistent, no video stream,
//      another handler, or an index or "movi" that does not hold the frames
// The file stays open (read only) for the object's life.
//
// A recording whose writer stopped before it finished (the RIFF form or
// "movi" runs past the end of the file, or its size was never patched from
// 0 or 0xFFFFFFFF) is read to the end of the file: its frames are the whole
// frame chunks found by walking "movi", whatever the headers count.
class AVIVideoData : public VideoData {
 public:
  // The step at which opening failed, for a caller that explains a status.
  enum class Problem {
    kNone,
    kCannotOpen,     // not there, or not a regular file
    kNotAvi,         // no RIFF form "AVI "
    kHeaders,        // "hdrl", "avih" or a stream's lists unreadable
    kNoVideoStream,  // no "vids" stream among the declared ones
    kHandler,        // a video handler other than the card's
    kNoFrameRate,    // the stream's rate or scale is 0
    kFrameCount,     // more frames counted than the file can hold
    kFrames,         // the index or "movi" does not hold the frames
  };

  explicit AVIVideoData(const std::string& fileName);

  int32_t GetStatus() const override { return status_; }
  // Frames in the table: the main header's count, or for a file with an
  // OpenDML index all frames of all its RIFF forms. 0 unless ready.
  int32_t GetFrameCount() const override;
  // Stream rate / stream scale.
  double GetFrameRate() const override;
  uint32_t GetHandler() const override { return streamHeader_.handler; }
  int32_t GetQuality() const override { return static_cast<int32_t>(streamHeader_.quality); }
  const uint8_t* GetFormat() const override { return format_.data(); }
  int32_t GetFormatSize() const override { return static_cast<int32_t>(format_.size()); }
  const std::string& GetFileName() const override { return fileName_; }
  // As VideoData::ReadFrame; a source that is not ready returns its status.
  int32_t ReadFrame(int32_t frameNumber, std::span<uint8_t> buffer, int32_t& size) override;

  // For inspection and tests.
  int32_t StreamNumber() const { return stream_; }
  const MainHeader& GetMainHeader() const { return mainHeader_; }
  const StreamHeader& GetStreamHeader() const { return streamHeader_; }
  // The ids a frame chunk may carry: "##dc", "##db", and "##" followed by
  // the first and by the last two characters of the handler.
  const std::array<uint32_t, 4>& FrameIds() const { return frameIds_; }
  const std::vector<FrameLocation>& Frames() const { return frames_; }
  FrameTableOrigin Origin() const { return origin_; }
  // Where opening stopped (kNone when ready), and which headers it had read
  // by then: after a refusal these keep what the file holds (the handler as
  // found, say).
  Problem GetProblem() const { return problem_; }
  bool HasMainHeader() const { return hasMainHeader_; }
  bool HasStreamHeader() const { return stream_ >= 0; }
  // The writer had stopped before it finished the file.
  bool IsUnfinished() const { return unfinished_; }

 private:
  int32_t Open();
  // code, and the problem cleared when it is 0.
  int32_t Ready(int32_t code);
  int32_t ReadHeaders(RiffReader& riff, const RiffChunk& form, RiffChunk& indx, bool& hasIndx);

  std::string fileName_;
  BufferedFile file_;
  MainHeader mainHeader_;
  StreamHeader streamHeader_;
  std::vector<uint8_t> format_;
  int32_t stream_ = -1;
  std::array<uint32_t, 4> frameIds_{};
  std::vector<FrameLocation> frames_;
  FrameTableOrigin origin_ = FrameTableOrigin::kNone;
  Problem problem_ = Problem::kNone;
  bool unfinished_ = false;
  bool hasMainHeader_ = false;
  int32_t status_ = 0;
};
