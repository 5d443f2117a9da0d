// Exports whose output the system refuses: the disk fills up, the folder
// may not be written, or the folder is not there. Each runs in a child
// process, so the file size limit and the dropped user never reach the rest
// of the suite.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sstream>

#include "avi/export.h"
#include "support/error_codes.h"
#include "support/prompter.h"
#include "support/time_code.h"
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
constexpr uid_t kNobody = 65534;

// The child writes one line per field, the parent reads them back.
Outcome RunInChild(Refusal how, const ExportCall& call) {
  int pipeEnds[2];
  if (pipe(pipeEnds) != 0)
    return {};
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(pipeEnds[0]);
    std::ostringstream out;
    bool ready = true;
    if (how == Refusal::kDiskFull) {
      std::signal(SIGXFSZ, SIG_IGN);
      rlimit small{kFileSizeLimit, kFileSizeLimit};
      ready = setrlimit(RLIMIT_FSIZE, &small) == 0;
    } else if (how == Refusal::kFolderNotWritable && geteuid() == 0) {
      // The superuser writes into any folder; a plain user may not.
      ready = setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0;
    }
    if (!ready) {
      out << "skip\n";
    } else {
      RecordingPrompter prompter;
      ScopedPrompter scope(prompter);
      RecordingProgress progress;
      int32_t code = -1;
      const bool returned = call(&progress, &code);
      out << "ran\n"
          << returned << "\n"
          << code << "\n"
          << progress.opens << "\n"
          << progress.closes << "\n";
      for (const RecordingPrompter::Message& m : prompter.messages)
        out << m.caption << "\n" << m.text << "\n";
    }
    const std::string text = out.str();
    const bool sent =
        write(pipeEnds[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(sent ? 0 : 1);
  }
  close(pipeEnds[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(pipeEnds[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  close(pipeEnds[0]);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child did not finish";

  Outcome outcome;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  if (line == "skip") {
    outcome.skipped = true;
    return outcome;
  }
  EXPECT_EQ(line, "ran");
  in >> outcome.returned >> outcome.code >> outcome.opens >> outcome.closes;
  std::getline(in, line);
  RecordingPrompter::Message m;
  while (std::getline(in, m.caption) && std::getline(in, m.text))
    outcome.messages.push_back(m);
  return outcome;
}

class ExportWriteRefusedTest : public ::testing::TestWithParam<Refusal> {
 protected:
  void SetUp() override {
    FrameRate = kPalFrameRate;
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
    return ExportTransition(progress, source_, out_, 2000, pattern, 768, 576, 48, code);
  });
  ExpectRefused(outcome, "Write AVI");
}

TEST_P(ExportWriteRefusedTest, TransitionWithoutSource) {
  const Bytes pattern = TestPattern(640, 480);
  const Outcome outcome = RunInChild(GetParam(), [&](ExportProgress* progress, int32_t* code) {
    return ExportTransition(progress, "", out_, 2000, pattern, 640, 480, 0, code);
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
