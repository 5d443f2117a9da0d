#pragma once

// Runs a piece of a test in a forked child, so a file size limit or a
// dropped user never reaches the rest of the suite. The child writes what
// it found as text; the parent gets it back.

#include <grp.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>

namespace avitest {

// Who the child runs as.
enum class ChildUser {
  kSame,
  // The plain user "nobody" when the tests run as the superuser (who may
  // write anywhere); a plain user already is one.
  kPlain,
};

inline constexpr uid_t kNobody = 65534;

struct ChildResult {
  // The child could not become the user asked for.
  bool skipped = false;
  std::string text;
};

inline ChildResult RunInChild(ChildUser user, const std::function<void(std::ostream&)>& body) {
  int ends[2];
  if (pipe(ends) != 0) {
    ADD_FAILURE() << "no pipe";
    return {};
  }
  std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    close(ends[0]);
    std::ostringstream out;
    const bool ready = user == ChildUser::kSame || geteuid() != 0 ||
                       (setgroups(0, nullptr) == 0 && setgid(kNobody) == 0 && setuid(kNobody) == 0);
    if (ready)
      body(out);
    const std::string text = ready ? "ran\n" + out.str() : "skip\n";
    const bool sent = write(ends[1], text.data(), text.size()) == static_cast<ssize_t>(text.size());
    _exit(sent ? 0 : 1);
  }
  close(ends[1]);
  std::string text;
  char buffer[4096];
  for (ssize_t n; (n = read(ends[0], buffer, sizeof buffer)) > 0;)
    text.append(buffer, static_cast<size_t>(n));
  close(ends[0]);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "the child did not finish";
  ChildResult result;
  result.skipped = text.rfind("skip\n", 0) == 0;
  if (!result.skipped && text.rfind("ran\n", 0) == 0)
    result.text = text.substr(4);
  return result;
}

}  // namespace avitest
