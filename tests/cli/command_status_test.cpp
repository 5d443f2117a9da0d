#include "cli/command_status.h"

#include <gtest/gtest.h>

#include "support/error_codes.h"

namespace {

// After a cancel or a failure the command line says only what is on disk;
// a cancel whose close failed keeps nothing.
TEST(ExportEndingNotesTest, SayWhatIsOnDisk) {
  auto ended = [](int32_t code, int32_t stop, ExportOutput output) {
    ExportOutcome o;
    o.code = code;
    o.stopCode = stop;
    o.output = output;
    o.framesWritten = 12;
    o.framesPlanned = 30;
    return o;
  };
  struct Case {
    const char* name;
    ExportOutcome outcome;
    bool exists;
    std::vector<std::string> notes;
  };
  const Case cases[] = {
      {"cancel kept", ended(kErrCancelled, kErrCancelled, ExportOutput::kComplete), true,
       {"Write AVI: cancelled; 'o.avi' holds the 12 frames written before"}},
      {"cancel whose close failed",
       ended(kErrCannotWrite, kErrCancelled, ExportOutput::kUntouched), true,
       {"transition: cancelled after 12 frames, which could not be kept; 'o.avi' is as it was "
        "before"}},
      {"cancel whose close failed, no earlier file",
       ended(kErrCannotWrite, kErrCancelled, ExportOutput::kUntouched), false,
       {"transition: cancelled after 12 frames, which could not be kept; nothing was written"}},
      {"cancel whose close failed in place",
       ended(kErrCannotWrite, kErrCancelled, ExportOutput::kIncomplete), true,
       {"transition: cancelled after 12 frames, which could not be kept; 'o.avi' was written in "
        "place, as its folder may not be written, and is left incomplete"}},
      {"write failure in place", ended(kErrCannotWrite, kOk, ExportOutput::kIncomplete), true,
       {"transition: 'o.avi' was written in place, as its folder may not be written, and is left "
        "incomplete"}},
      {"write failure", ended(kErrCannotWrite, kOk, ExportOutput::kUntouched), true, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ExportEndingNotes("transition", c.outcome, "o.avi", c.exists), c.notes) << c.name;
  }
}

}  // namespace
