#pragma once

#include <cstdint>
#include <string>

// How a render ended: our code (support/error_codes.h), the file it concerns,
// and the video library's own words when the library refused something.
struct RenderStatus {
  int32_t code = 0;
  std::string file;
  std::string libraryMessage;

  bool Ok() const { return code == 0; }
};

// Sets status and returns its code, for one-line failure paths.
int32_t Fail(RenderStatus& status, int32_t code, const std::string& file,
             const std::string& libraryMessage = {});
// The same with the text of a libav error number.
int32_t FailWithAvError(RenderStatus& status, int32_t code, const std::string& file, int avError);
