#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "avi/avi_format.h"

// A source of device frames for the export. On its own it is the source of
// one empty frame at the rate it is given, used when there is no source
// file; AVIVideoData reads the frames of a card recording.
class VideoData {
 public:
  // Frames of 640 x 480 without a rate of their own (0), for a source that
  // gives its own.
  VideoData();
  // frameRate frames per second, as GetFrameRate gives it.
  VideoData(int32_t width, int32_t height, double frameRate);
  VideoData(const VideoData&) = delete;
  VideoData& operator=(const VideoData&) = delete;
  virtual ~VideoData() = default;

  // The code opening ended with; 0 when the source is ready. Check it before
  // anything else.
  virtual int32_t GetStatus() const;
  virtual int32_t GetFrameCount() const;
  // Frames per second.
  virtual double GetFrameRate() const;
  // The video handler, always "ORVT" for a ready source.
  virtual uint32_t GetHandler() const;
  virtual int32_t GetQuality() const;
  // The bitmap format of the frames ("strf" payload), GetFormatSize bytes.
  virtual const uint8_t* GetFormat() const;
  virtual int32_t GetFormatSize() const;
  // GetFormat as a bitmap header; the fields a short format lacks are 0.
  BitmapInfoHeader GetBitmapInfo() const {
    return LoadBitmapInfoHeader({GetFormat(), static_cast<size_t>(GetFormatSize())});
  }
  virtual const std::string& GetFileName() const;
  // Copies frame frameNumber, as stored, into buffer and sets size to its
  // byte count. A number outside 0 .. GetFrameCount() - 1 gives the empty
  // frame ("ORV1", size 4) with 0. kErrBadFile for a frame larger than the
  // buffer or one that does not begin with "ORV1"; kErrCannotRead when
  // reading fails.
  virtual int32_t ReadFrame(int32_t frameNumber, std::span<uint8_t> buffer, int32_t& size);

 protected:
  // The empty frame into buffer: 0, or kErrBadFile when the buffer holds less
  // than 4 bytes.
  static int32_t WriteEmptyFrame(std::span<uint8_t> buffer, int32_t& size);

 private:
  uint8_t format_[kBitmapInfoSize] = {};
  double frameRate_ = 0.0;
};
