#include "cli/card_recording.h"

#include "avi/avi_video_data.h"
#include "cli/explanations.h"
#include "support/error_codes.h"
#include "support/report_error.h"

std::unique_ptr<AVIVideoData> OpenCardRecording(const std::string& path, const char* command,
                                                int32_t code) {
  auto source = std::make_unique<AVIVideoData>(path);
  const int32_t status = source->GetStatus();
  if (status == kOk)
    return source;
  ReportFileError(code != kOk ? code : status, "Open AVI", path);
  if (status != kErrNoMemory)
    Explain(command, WhyNotCardRecording(*source));
  return nullptr;
}
