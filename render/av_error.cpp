#include "render/av_error.h"

extern "C" {
#include <libavutil/error.h>
}

#include "render/render_status.h"

std::string AvErrorText(int avError) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  if (av_strerror(avError, text, sizeof text) != 0)
    return "error " + std::to_string(avError);
  return text;
}

int32_t Fail(RenderStatus& status, int32_t code, const std::string& file,
             const std::string& libraryMessage) {
  status.code = code;
  status.file = file;
  status.libraryMessage = libraryMessage;
  return code;
}

int32_t FailWithAvError(RenderStatus& status, int32_t code, const std::string& file, int avError) {
  return Fail(status, code, file, AvErrorText(avError));
}
