#include "cli/command_status.h"

#include <cstdio>

#include "support/error_codes.h"

int ExitForExportCode(int32_t code, const std::string& outPath, int32_t framesKept) {
  if (code != kErrCancelled)
    return kExitFailure;
  std::fprintf(stderr, "Write AVI: cancelled; '%s' holds the %d frames written before\n",
               outPath.c_str(), static_cast<int>(framesKept));
  return kExitCancelled;
}
