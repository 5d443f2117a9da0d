// Exports whose output the system refuses: the disk fills up, the folder
// may not be written, or the folder is not there. Each runs in a child
// process, so the file size limit and the dropped user never reach the rest
// of the suite.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sstream>

#include "avi/export.h"
#include "support/error_codes.h"
#include "support/prompter.h"
#include "support/time_code.h"
#include "tests/avi/child_process.h"
#include "tests/avi/export_test_support.h"

namespace {

using namespace avitest;
using namespace exporttest;

enum class Refusal { kDiskFull, kFolderNotWritable, kNoFolder };

const char* Name(Refusal r) {
  switch (r) {
    case Refusal::kDiskFull:
      return "disk full";
    case Refusal::kFolderNotWritable:
      return "folder not writable";
    case Refusal::kNoFolder:
      return "no folder";
  }
  return "?";
}

// What the export in the child said and did.
struct Outcome {
  bool skipped = false;
  bool returned = true;
  int32_t code = -1;
  int opens = 0, closes = 0;
  std::vector<RecordingPrompter::Message> messages;
};

using ExportCall = std::function<bool(ExportProgress*, int32_t*)>;

constexpr rlim_t kFileSizeLimit = 64 * 1024;

// Runs the export in a child under a file size limit of limit bytes (none
// when 0), as a plain user when asked; one line per field comes back.
Outcome RunExportInChild(ChildUser user, rlim_t limit, const ExportCall& call,
                         int32_t cancelAt = 0) {
  const ChildResult child = RunInChild(user, [&](std::ostream& out) {
    if (limit != 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const rlimit small{limit, limit};
      if (setrlimit(RLIMIT_FSIZE, &small) != 0)
        return;
    }
    RecordingPrompter prompter;
    ScopedPrompter scope(prompter);
    RecordingProgress progress;
    progress.cancelAt = cancelAt;
    int32_t code = -1;
    const bool returned = call(&progress, &code);
    out << returned << "\n" << code << "\n" << progress.opens << "\n" << progress.closes << "\n";
    for (const RecordingPrompter::Message& m : prompter.messages)
      out << m.caption << "\n" << m.text << "\n";
  });
  Outcome outcome;
  outcome.skipped = child.skipped;
  std::istringstream in(child.text);
  in >> outcome.returned >> outcome.code >> outcome.opens >> outcome.closes;
  std::string line;
  std::getline(in, line);
  RecordingPrompter::Message m;
  while (std::getline(in, m.caption) && std::getline(in, m.text))
    outcome.messages.push_back(m);
  return outcome;
}

Outcome RunInChild(Refusal how, const ExportCall& call) {
  return RunExportInChild(how == Refusal::kFolderNotWritable ? ChildUser::kPlain : ChildUser::kSame,
                          how == Refusal::kDiskFull ? kFileSizeLimit : 0, call);
}

class ExportWriteRefusedTest : public ::testing::TestWithParam<Refusal> {
 protected:
  void SetUp() override {
    std::vector<Bytes> frames;
    for (uint32_t i = 0; i < 4; ++i)
      frames.push_back(DeviceFrame(i, 400));
    HandAvi avi = SimpleAvi(frames, kFourCCOrvd);
    avi.formats[0] = BitmapFormat(768, 576, kFourCCOrvd);
    source_ = dir_.File("src.avi");
    WriteAll(source_, avi.Build());
    for (uint32_t n = 1; n <= 3; ++n)
      WriteAll(dir_.File("m00" + std::to_string(n) + ".tga"),
               MaskTarga(static_cast<int32_t>(n), {768, 130, 24}));

    folder_ = dir_.File("out");
    if (GetParam() != Refusal::kNoFolder) {
      ASSERT_TRUE(fs::create_directory(folder_));
      WriteAll(folder_ + "/out.avi", earlier_);
    }
    if (GetParam() == Refusal::kFolderNotWritable) {
      ASSERT_EQ(chmod(folder_.c_str(), 0555), 0);
    }
    out_ = folder_ + "/out.avi";
  }
  void TearDown() override {
    if (fs::exists(folder_))
      chmod(folder_.c_str(), 0755);
  }

  // The refusal is reported under the output's name, once, after the
  // progress has gone, and the folder is as it was.
  void ExpectRefused(const Outcome& outcome, const char* caption) {
    if (outcome.skipped)
      GTEST_SKIP() << "this machine cannot drop to a plain user";
    const int32_t code = GetParam() == Refusal::kDiskFull ? kErrCannotWrite : kErrNoFile;
    EXPECT_FALSE(outcome.returned);
    EXPECT_EQ(outcome.code, code);
    EXPECT_EQ(outcome.opens, outcome.closes);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].caption, caption);
    EXPECT_EQ(
        outcome.messages[0].text,
        std::string(code == kErrCannotWrite ? "Can not write file '" : "No file '") + out_ + "'");
    if (GetParam() == Refusal::kNoFolder) {
      EXPECT_FALSE(fs::exists(folder_));
      return;
    }
    EXPECT_EQ(ReadAll(out_), earlier_);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder_))
      names.push_back(e.path().filename());
    EXPECT_EQ(names, std::vector<std::string>{"out.avi"}) << "no temporary file is left";
  }

  ScratchDir dir_;
  std::string source_;
  std::string folder_;
  std::string out_;
  const Bytes earlier_ = Text("an earlier export of this name");
};

TEST_P(ExportWriteRefusedTest, TransitionOverTheSource) {
  const Bytes pattern = TestPattern(768, 576);
  const Outcome outcome = RunInChild(GetParam(), [&](ExportProgress* progress, int32_t* code) {
    return ExportTransition(progress, source_, out_, 2000, kPalFrameRate, pattern, 768, 576, 48,
                            code);
  });
  ExpectRefused(outcome, "Write AVI");
}

TEST_P(ExportWriteRefusedTest, TransitionWithoutSource) {
  const Bytes pattern = TestPattern(640, 480);
  const Outcome outcome = RunInChild(GetParam(), [&](ExportProgress* progress, int32_t* code) {
    return ExportTransition(progress, "", out_, 2000, kPalFrameRate, pattern, 640, 480, 0, code);
  });
  ExpectRefused(outcome, "Write AVI");
}

TEST_P(ExportWriteRefusedTest, MaskSequence) {
  const Outcome outcome = RunInChild(GetParam(), [&](ExportProgress* progress, int32_t* code) {
    std::string mask = dir_.File("m001.tga");
    return ExportMaskSequence(progress, source_, mask, out_, code);
  });
  ExpectRefused(outcome, "Write AVI");
}

// A stopped export keeps its frames only if closing works; when the disk
// fills while the index is written, that failure is reported too, and the
// earlier file stays.
TEST(ExportStopTest, CloseThatFailsAfterAStopIsReported) {
  ScratchDir dir;
  const Bytes pattern = TestPattern(768, 576);
  std::vector<Bytes> frames;
  for (uint32_t i = 0; i < 4; ++i)
    frames.push_back(DeviceFrame(i, 400));
  frames[2][0] = 'X';  // not a device frame
  const std::string good = dir.File("good.avi"), bad = dir.File("bad.avi");
  WriteAll(good, SimpleAvi({frames[0], frames[1], frames[3], frames[3]}).Build());
  WriteAll(bad, SimpleAvi(frames).Build());
  const std::string out = dir.File("out.avi");
  struct Case {
    const char* name;
    std::string source;
    int32_t cancelAt;
    std::vector<std::string> messages;
  };
  const Case cases[] = {
      {"cancelled", good, 2, {"Can not write file '" + out + "'"}},
      {"bad source frame", bad, 0, {"Bad file '" + bad + "'", "Can not write file '" + out + "'"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const ExportCall call = [&](ExportProgress* progress, int32_t* code) {
      return ExportTransition(progress, c.source, out, 2000, kPalFrameRate, pattern, 768, 576, 48,
                              code);
    };
    // The same stop without a limit shows how large the kept file is; one
    // byte less leaves room for every frame but not for the whole index.
    const Outcome kept = RunExportInChild(ChildUser::kSame, 0, call, c.cancelAt);
    ASSERT_EQ(kept.code, c.cancelAt ? kErrCancelled : kErrBadFile);
    const rlim_t size = static_cast<rlim_t>(fs::file_size(out));
    const Bytes earlier = Text("an earlier export of this name");
    WriteAll(out, earlier);

    const Outcome outcome = RunExportInChild(ChildUser::kSame, size - 1, call, c.cancelAt);
    EXPECT_FALSE(outcome.returned);
    EXPECT_EQ(outcome.code, kErrCannotWrite);
    std::vector<std::string> texts;
    for (const RecordingPrompter::Message& m : outcome.messages) {
      EXPECT_EQ(m.caption, "Write AVI");
      texts.push_back(m.text);
    }
    EXPECT_EQ(texts, c.messages);
    EXPECT_EQ(ReadAll(out), earlier);
    EXPECT_EQ(dir.Names().size(), 3u) << "no temporary file is left";
  }
}

// The frames are written while the next is built, so a write that fails
// may come to light only after the export has moved on: at a later frame,
// or behind a stop. Either way the failed write decides: it is what is
// reported, and nothing of the partial file stays.
TEST(ExportStopTest, WriteThatFailsMidExportOutweighsWhatCameAfter) {
  ScratchDir dir;
  const Bytes pattern = TestPattern(768, 576);
  std::vector<Bytes> frames;
  for (uint32_t i = 0; i < 4; ++i)
    frames.push_back(DeviceFrame(i, 400));
  const std::string good = dir.File("good.avi"), bad = dir.File("bad.avi");
  WriteAll(good, SimpleAvi(frames).Build());
  frames[2][0] = 'X';  // not a device frame
  WriteAll(bad, SimpleAvi(frames).Build());
  const std::string out = dir.File("out.avi");
  auto exportFrom = [&](const std::string& source) -> ExportCall {
    return [&, source](ExportProgress* progress, int32_t* code) {
      return ExportTransition(progress, source, out, 2000, kPalFrameRate, pattern, 768, 576, 48,
                              code);
    };
  };
  // A file that holds the first frame and no more: the second frame's write
  // fails.
  const Outcome one = RunExportInChild(ChildUser::kSame, 0, exportFrom(good), 1);
  ASSERT_EQ(one.code, kErrCancelled);
  const rlim_t limit = static_cast<rlim_t>(fs::file_size(out));

  struct Case {
    const char* name;
    std::string source;
    int32_t cancelAt;
  };
  const Case cases[] = {
      {"frames still to come", good, 0},
      {"a bad source frame next", bad, 0},
      {"a cancel next", good, 2},
  };
  const Bytes earlier = Text("an earlier export of this name");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    WriteAll(out, earlier);
    const Outcome outcome =
        RunExportInChild(ChildUser::kSame, limit, exportFrom(c.source), c.cancelAt);
    EXPECT_FALSE(outcome.returned);
    EXPECT_EQ(outcome.code, kErrCannotWrite);
    EXPECT_EQ(outcome.opens, 1);
    EXPECT_EQ(outcome.closes, 1);
    ASSERT_EQ(outcome.messages.size(), 1u);
    EXPECT_EQ(outcome.messages[0].caption, "Write AVI");
    EXPECT_EQ(outcome.messages[0].text, "Can not write file '" + out + "'");
    EXPECT_EQ(ReadAll(out), earlier);
    EXPECT_EQ(dir.Names().size(), 3u) << "no temporary file is left";
  }
}

// Where the folder may not be written, a writable file is written in
// place; not the source itself, which would be cut under the reading.
TEST(ExportInPlaceTest, SourceThatIsTheOutputIsNotWrittenInPlace) {
  ScratchDir dir;
  const fs::path folder = dir.Path() / "closed";
  fs::create_directory(folder);
  const std::string source = (folder / "src.avi").string();
  const Bytes recording = SimpleAvi({DeviceFrame(1), DeviceFrame(2)}).Build();
  WriteAll(source, recording);
  chmod(source.c_str(), 0666);
  chmod(folder.c_str(), 0555);
  const Bytes pattern = TestPattern(640, 480);
  const Outcome outcome =
      RunExportInChild(ChildUser::kPlain, 0, [&](ExportProgress* progress, int32_t* code) {
        return ExportTransition(progress, source, source, 200, kPalFrameRate, pattern, 640, 480, 48,
                                code);
      });
  chmod(folder.c_str(), 0755);
  ASSERT_FALSE(outcome.skipped);
  EXPECT_EQ(outcome.code, kErrNoFile);
  ASSERT_EQ(outcome.messages.size(), 1u);
  EXPECT_EQ(outcome.messages[0].text, "No file '" + source + "'");
  EXPECT_EQ(ReadAll(source), recording);
}

INSTANTIATE_TEST_SUITE_P(Refusals, ExportWriteRefusedTest,
                         ::testing::Values(Refusal::kDiskFull, Refusal::kFolderNotWritable,
                                           Refusal::kNoFolder),
                         [](const auto& info) {
                           std::string name = Name(info.param);
                           for (char& c : name)
                             c = c == ' ' ? '_' : c;
                           return name;
                         });

}  // namespace
