// Real signals sent to a real `orvane` while it exports or renders over an
// earlier file: whatever ends it, the earlier file keeps its bytes and no
// hidden temporary file stays beside it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <string>
#include <thread>
#include <tuple>
#include <vector>

#include "tests/cli/cli_run.h"

namespace {

using namespace clitest;
using namespace std::chrono_literals;

// Starts `orvane arguments...` as a shell would start it in the foreground:
// every signal at its default, nothing blocked, output into folder.
pid_t Start(const fs::path& folder, const std::vector<std::string>& arguments) {
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid != 0)
    return pid;
  for (int s = 1; s < NSIG; ++s)
    std::signal(s, SIG_DFL);
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // SIGQUIT would leave a core file.
  const rlimit noCore{0, 0};
  setrlimit(RLIMIT_CORE, &noCore);
  const int in = open("/dev/null", O_RDONLY);
  const int out = open((folder / "stdout.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  const int err = open((folder / "stderr.txt").c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  dup2(in, 0);
  dup2(out, 1);
  dup2(err, 2);
  std::vector<char*> argv{const_cast<char*>(ORVANE_CLI)};
  for (const std::string& a : arguments)
    argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(ORVANE_CLI, argv.data());
  _exit(127);
}

// Any hidden temporary file beside output; with least, only one that holds
// at least that many bytes (frames are being written).
bool HasTemporaryFile(const fs::path& folder, const std::string& output, uintmax_t least = 0) {
  for (const auto& e : fs::directory_iterator(folder)) {
    std::error_code ec;
    if (e.path().filename().string().rfind("." + output + ".", 0) == 0 &&
        fs::file_size(e.path(), ec) >= least && !ec)
      return true;
  }
  return false;
}

// Waits until what holds is true, up to limit.
template <typename Condition>
bool Within(std::chrono::milliseconds limit, Condition holds) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!holds()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    std::this_thread::sleep_for(200us);
  }
  return true;
}

// True while signal is still pending for pid: not yet handled.
bool Pending(pid_t pid, int signal) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if ((line.rfind("SigPnd:", 0) == 0 || line.rfind("ShdPnd:", 0) == 0) &&
        (std::stoull(line.substr(7), nullptr, 16) >> (signal - 1) & 1))
      return true;
  }
  return false;
}

struct Ending {
  const char* name;
  std::vector<int> signals;  // sent one after the other, each once handled
  int endedBy;               // the signal that ends it, or 0 for a normal exit
  int exitStatus;            // for a normal exit
};

void PrintTo(const Ending& ending, std::ostream* out) {
  *out << ending.name;
}

// The commands that write over an earlier file.
struct Writer {
  const char* name;
  const char* output;
  // What a cancel says, and whether it keeps the frames written so far.
  const char* cancelled;
  bool keepsOnCancel;
};

void PrintTo(const Writer& writer, std::ostream* out) {
  *out << writer.name;
}

std::vector<std::string> WriterArguments(const Writer& writer, const CliFolder& dir) {
  const std::string pattern = (dir / "p" / "random-dissolve.tga").string();
  const std::string out = (dir / writer.output).string();
  if (std::string(writer.name) == "render")
    return {"render", "--pattern", pattern, "--standard", "pal", "--duration", "10000", "-o", out};
  return {"transition", "--pattern",  pattern, "--source", (dir / "s.avi").string(),
          "--standard", "pal",        "--duration", "10000", "-o", out};
}

class EndingSignalsTest : public ::testing::TestWithParam<std::tuple<Writer, Ending>> {};

TEST_P(EndingSignalsTest, KeepTheEarlierFileAndLeaveNothingBehind) {
  const Writer& writer = std::get<0>(GetParam());
  const Ending& ending = std::get<1>(GetParam());
  const std::string output = writer.output;
#if defined(__SANITIZE_THREAD__)
  // ThreadSanitizer holds a signal back until the program's next call into
  // the runtime and keeps one pending slot per signal, so a second Ctrl-C
  // sent before that call merges with the first and is never seen twice.
  if (ending.signals.size() > 1)
    GTEST_SKIP() << "ThreadSanitizer merges a repeated signal";
#endif
  CliFolder dir;
  ASSERT_EQ(dir.Run("patterns " + Quote(dir / "p") + " --size 768x576").status, 0);
  if (std::string(writer.name) == "transition") {
    // The export carries a source's video, so that it takes long enough.
    ASSERT_EQ(
        dir.Run("make-source --standard pal --frames 250 --quality 100 -o " + Quote(dir / "s.avi"))
            .status,
        0);
  }
  const std::string earlier = "an earlier export that must survive";
  const std::vector<std::string> arguments = WriterArguments(writer, dir);

  // The export is quick: each signal goes to a process stopped while its
  // temporary file is there and growing (the progress, which turns the
  // first Ctrl-C into a cancel, is open by then), and a run that got too
  // far is tried again.
  int status = 0;
  bool sent = false;
  for (int attempt = 0; attempt < 20 && !sent; ++attempt) {
    { std::ofstream(dir / output) << earlier; }
    const pid_t pid = Start(dir.Path(), arguments);
    ASSERT_GT(pid, 0);
    bool ended = false;
    for (const int signal : ending.signals) {
      sent = Within(10s, [&] { return HasTemporaryFile(dir.Path(), output, 1); });
      if (sent) {
        kill(pid, SIGSTOP);
        ended = waitpid(pid, &status, WUNTRACED) != pid || !WIFSTOPPED(status);
        sent = !ended && HasTemporaryFile(dir.Path(), output);
      }
      if (sent)
        kill(pid, signal);
      kill(pid, SIGCONT);
      if (!sent)
        break;
      Within(10s, [&] { return !Pending(pid, signal); });
    }
    ended = ended || Within(60s, [&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (!ended) {
      kill(pid, SIGKILL);
      waitpid(pid, &status, 0);
      FAIL() << "orvane did not end";
    }
  }
  ASSERT_TRUE(sent) << "the export always ended before the signal";

  if (ending.endedBy != 0) {
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), ending.endedBy);
    EXPECT_EQ(ReadText(dir / output), earlier);
  } else {
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), ending.exitStatus);
    EXPECT_NE(ReadText(dir / "stderr.txt").find(writer.cancelled), std::string::npos);
    EXPECT_EQ(ReadText(dir / output) == earlier, !writer.keepsOnCancel);
  }
  EXPECT_FALSE(HasTemporaryFile(dir.Path(), output));
}

INSTANTIATE_TEST_SUITE_P(
    Signals, EndingSignalsTest,
    ::testing::Combine(
        ::testing::Values(Writer{"transition", "out.avi", "Write AVI: cancelled; '", true},
                          Writer{"render", "out.mkv", "render: cancelled; nothing new", false}),
        ::testing::Values(Ending{"term", {SIGTERM}, SIGTERM, 0},
                          Ending{"hup", {SIGHUP}, SIGHUP, 0},
                          Ending{"quit", {SIGQUIT}, SIGQUIT, 0},
                          Ending{"second_interrupt", {SIGINT, SIGINT}, SIGINT, 0},
                          Ending{"interrupt_cancels", {SIGINT}, 0, 130})),
    [](const auto& info) {
      return std::string(std::get<0>(info.param).name) + "_" + std::get<1>(info.param).name;
    });

}  // namespace
