#include "cli/terminal_progress.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <string>

namespace {

std::string Contents(std::FILE* file) {
  std::rewind(file);
  std::string text;
  for (int c; (c = std::fgetc(file)) != EOF;)
    text.push_back(static_cast<char>(c));
  return text;
}

void (*CurrentSigint())(int) {
  struct sigaction now {};
  sigaction(SIGINT, nullptr, &now);
  return now.sa_handler;
}

TEST(TerminalProgressTest, LineShowsBarPercentageAndCount) {
  const std::string empty(30, '.');
  EXPECT_EQ(TerminalProgress::Line("Write AVI", 0, 250), "Write AVI [" + empty + "]   0% 0/250");
  EXPECT_EQ(TerminalProgress::Line("Write AVI", 125, 250),
            "Write AVI [" + std::string(15, '#') + std::string(15, '.') + "]  50% 125/250");
  EXPECT_EQ(TerminalProgress::Line("W", 1, 200), "W [" + empty + "]   1% 1/200");
  EXPECT_EQ(TerminalProgress::Line("W", 250, 250), "W [" + std::string(30, '#') + "] 100% 250/250");
  // Nothing to do is complete, and a count past the total stays at the end.
  EXPECT_EQ(TerminalProgress::Line("W", 0, 0), "W [" + std::string(30, '#') + "] 100% 0/0");
  EXPECT_EQ(TerminalProgress::Line("W", 9, 3), "W [" + std::string(30, '#') + "] 100% 9/3");
}

TEST(TerminalProgressTest, DrawsOneLineInPlaceOnlyWhenAskedTo) {
  for (const bool draw : {true, false}) {
    std::FILE* file = std::tmpfile();
    ASSERT_NE(file, nullptr);
    {
      TerminalProgress progress(file, draw);
      progress.Open("Write AVI", "out.avi", 4, true);
      for (int32_t i = 1; i <= 4; ++i)
        EXPECT_TRUE(progress.Update(i));
      progress.Close();
      EXPECT_EQ(progress.Done(), 4);
    }
    const std::string text = Contents(file);
    std::fclose(file);
    if (!draw) {
      EXPECT_EQ(text, "");
      continue;
    }
    EXPECT_EQ(text.front(), '\r');
    EXPECT_EQ(text.back(), '\n');
    EXPECT_EQ(text.find('\n'), text.size() - 1);
    EXPECT_NE(text.find("\rWrite AVI [" + std::string(30, '#') + "] 100% 4/4\n"), std::string::npos)
        << text;
  }
}

TEST(TerminalProgressTest, InterruptAsksToStopAndIsPutBackAtClose) {
  std::signal(SIGINT, SIG_IGN);
  std::FILE* file = std::tmpfile();
  TerminalProgress progress(file, false);
  progress.Open("Write AVI", "out.avi", 10, true);
  EXPECT_TRUE(progress.Update(1));
  std::raise(SIGINT);
  EXPECT_FALSE(progress.Update(2));
  EXPECT_TRUE(progress.Interrupted());
  progress.Close();
  EXPECT_EQ(CurrentSigint(), SIG_IGN);

  // Without a cancel allowed, Ctrl-C keeps its usual meaning.
  progress.Open("Write AVI", "out.avi", 10, false);
  EXPECT_EQ(CurrentSigint(), SIG_IGN);
  std::raise(SIGINT);
  EXPECT_TRUE(progress.Update(1));
  progress.Close();
  std::signal(SIGINT, SIG_DFL);
  std::fclose(file);
}

}  // namespace
