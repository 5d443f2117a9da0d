#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "avi/avi_format.h"
#include "avi/avi_writer.h"
#include "avi/export_outcome.h"
#include "avi/export_write_thread.h"

class ExportProgress;
class VideoData;

// The headers of an export's one video stream at rate frames per second: a
// frame period of 1000000 / rate microseconds and a stream rate of
// rate x 1000 over a scale of 1000 (33366 and 29970 at 29.97, 40000 and
// 25000 at 25). A rate that is not positive leaves both to the writer.
MainHeader ExportMainHeader(double rate, int32_t frameCount, uint32_t width, uint32_t height);
StreamHeader ExportStreamHeader(double rate, int32_t quality);

// The highest rate the headers hold: a frame period of one microsecond.
inline constexpr double kExportMaxFrameRate = 1000000.0;

// True when frameCount frames of at least leastFrameBytes each (their chunk
// header and index entry not counted) fit one AVI file behind headers with a
// stream format of formatSize bytes, and rate is one the headers can hold.
bool ExportFitsFile(double rate, int32_t frameCount, uint64_t leastFrameBytes, uint64_t formatSize);

// The one video stream of an export: frameCount frames of width x height
// in the given format ("strf" payload), each at least leastFrameBytes.
struct ExportStream {
  int32_t frameCount = 0;
  uint32_t width = 0;
  uint32_t height = 0;
  std::span<const uint8_t> format;
  uint64_t leastFrameBytes = 0;
};

// How an export ends, which decides what happens to the output file.
enum class ExportEnding {
  // Every frame written, or the input ran out: close the file; a failure to
  // close is the export's failure.
  kFinished,
  // Stopped on purpose (a cancel) or by its input (a source frame or mask
  // that cannot be used): close the file so the frames so far are kept, and
  // report why it stopped. A close that fails is reported as well; without
  // a frame written there is nothing to keep, as for kFailed.
  kStopped,
  // A failure while writing, or nothing worth keeping: the partial file goes
  // and a file that was at the output path before stays as it was.
  kFailed,
};

// The output side of one export: the writer with its one stream, the
// progress display, and the report at the end. Reports come after the
// progress has closed, so a message never sits under a progress display.
// What became of the file goes into the outcome given at construction.
class ExportSession {
 public:
  ExportSession(ExportProgress* progress, const std::string& outPath, ExportOutcome& outcome);
  ~ExportSession();
  ExportSession(const ExportSession&) = delete;
  ExportSession& operator=(const ExportSession&) = delete;

  // Creates the output file with the headers of stream at the source's rate
  // and quality, starts the thread that writes the frames, then opens the
  // progress. 0, kErrVideoParameters before anything is touched when the
  // stream's frames or their rate do not fit the file (ExportFitsFile),
  // kErrNoMemory without a thread, or the writer's code.
  int32_t Begin(const VideoData& source, const ExportStream& stream);

  // Hands one device frame to the writing thread, which writes it as the key
  // frame "00dc", and tells the progress that done frames are complete. The
  // frame's bytes must stay as they are until the next WriteFrame or End
  // (see ExportWriteThread). 0, kErrCancelled when the user asked to stop,
  // or the code of a write that failed, this frame's or an earlier one's.
  int32_t WriteFrame(std::span<const uint8_t> frame, int32_t done);

  // Ends the export once every frame handed over is written: reason is 0
  // for kFinished, else the code that stopped it, reported with file (the
  // output path when empty; kErrNoMemory without a name; kErrCancelled not
  // at all). A write that failed meanwhile outweighs the reason given: the
  // export has failed with that write's code. Fills the outcome; true only
  // for a finished file that closed without error.
  bool End(ExportEnding ending, int32_t reason, const std::string& file = std::string());

 private:
  void CloseProgress();
  // Waits for the writing thread; 0 or the code of the write that failed.
  int32_t FinishWriting();

  ExportProgress* progress_;
  bool progressOpen_ = false;
  std::string outPath_;
  ExportOutcome& outcome_;
  std::unique_ptr<AviWriter> writer_;
  int32_t stream_ = 0;
  // Declared after the writer it writes to, so it ends before the writer.
  std::unique_ptr<ExportWriteThread> writing_;
};

inline constexpr const char* kExportCaption = "Write AVI";

// Reports an export's failure as ReportFileError does, under "Write AVI"
// unless told otherwise.
void ReportExportError(int32_t code, const std::string& file, const char* caption = kExportCaption);
