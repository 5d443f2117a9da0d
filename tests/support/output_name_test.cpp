#include "support/output_name.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

class OutputNameTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/orvane-names-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir = pattern;
  }
  void TearDown() override {
    for (const char* name :
         {"rec.avi", "rec-wipe.avi", "rec-wipe-2.avi", "link.avi", "hard.avi", "take"})
      std::remove((dir + "/" + name).c_str());
    rmdir(dir.c_str());
  }
  void Touch(const char* name) {
    FILE* f = std::fopen((dir + "/" + name).c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fclose(f);
  }
  std::string dir;
};

TEST_F(OutputNameTest, ProposesTheSourcesNameWithASuffixNumberedWhileTaken) {
  Touch("rec.avi");
  const std::string rec = dir + "/rec.avi";
  EXPECT_EQ(ProposeOutputName(rec, "-wipe"), dir + "/rec-wipe.avi");
  Touch("rec-wipe.avi");
  EXPECT_EQ(ProposeOutputName(rec, "-wipe"), dir + "/rec-wipe-2.avi");
  Touch("rec-wipe-2.avi");
  EXPECT_EQ(ProposeOutputName(rec, "-wipe"), dir + "/rec-wipe-3.avi");
  // A name proposed before leads to the same series.
  EXPECT_EQ(ProposeOutputName(dir + "/rec-wipe-2.avi", "-wipe"), dir + "/rec-wipe-3.avi");

  struct Case {
    const char* basis;
    const char* proposed;
  } cases[] = {{"", ""},
               {"/clips/take", "/clips/take-wipe"},
               {"/clips.old/take", "/clips.old/take-wipe"},
               {"/clips/take-2019.avi", "/clips/take-2019-wipe.avi"},
               {"/clips/a.b.avi", "/clips/a.b-wipe.avi"},
               {"/clips/-wipe.avi", "/clips/-wipe-wipe.avi"}};
  for (const Case& c : cases)
    EXPECT_EQ(ProposeOutputName(c.basis, "-wipe"), c.proposed) << c.basis;
}

TEST_F(OutputNameTest, SameFileIsFoundThroughLinksAndOnlyForOneFile) {
  Touch("rec.avi");
  Touch("rec-wipe.avi");
  const std::string rec = dir + "/rec.avi";
  ASSERT_EQ(symlink(rec.c_str(), (dir + "/link.avi").c_str()), 0);
  ASSERT_EQ(link(rec.c_str(), (dir + "/hard.avi").c_str()), 0);
  EXPECT_TRUE(IsSameFile(rec, rec));
  EXPECT_TRUE(IsSameFile(rec, dir + "/link.avi"));
  EXPECT_TRUE(IsSameFile(rec, dir + "/hard.avi"));
  EXPECT_TRUE(IsSameFile(rec, dir + "/../" + dir.substr(5) + "/rec.avi"));
  EXPECT_FALSE(IsSameFile(rec, dir + "/rec-wipe.avi"));
  EXPECT_FALSE(IsSameFile(rec, dir + "/take"));
  EXPECT_FALSE(IsSameFile(dir + "/take", dir + "/take")) << "a file not there is no source";
}

}  // namespace
