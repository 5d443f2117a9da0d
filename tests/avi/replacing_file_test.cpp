// Replacing an output file on a real file system: links, modes, owners and
// folders the user may not write. Each replacement runs in a child process,
// as a plain user where the case needs one.
#include "avi/replacing_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>

#include "support/error_codes.h"
#include "tests/avi/avi_test_support.h"
#include "tests/avi/child_process.h"

namespace {

using namespace avitest;

const Bytes kEarlier = Text("the earlier bytes");
const Bytes kNew = Text("the new bytes");

struct stat StatOf(const std::string& path) {
  struct stat st {};
  EXPECT_EQ(stat(path.c_str(), &st), 0) << path;
  return st;
}

TEST(ReplacingFileTest, ReplacesWhatTheTargetNamesAndKeepsWhatItWas) {
  ScratchDir dir;
  const fs::path root = dir.Path();
  const bool superuser = geteuid() == 0;
  struct Case {
    const char* name;
    // Sets the scene and gives the name to replace; runs as the test's user.
    std::function<std::string()> setUp;
    ChildUser user;
    bool needsSuperuser;
    bool inPlace;
    // What the scene must look like afterwards.
    std::function<void()> check;
  };
  const Case cases[] = {
      {"dangling link",
       [&] {
         fs::create_symlink("made.avi", root / "link.avi");
         return (root / "link.avi").string();
       },
       ChildUser::kSame, false, false,
       [&] {
         EXPECT_TRUE(fs::is_symlink(root / "link.avi"));
         EXPECT_EQ(ReadAll((root / "made.avi").string()), kNew);
       }},
      {"chain of relative links",
       [&] {
         fs::create_directory(root / "sub");
         WriteAll((root / "sub" / "end.avi").string(), kEarlier);
         fs::create_symlink("sub/end.avi", root / "second.avi");
         fs::create_symlink("second.avi", root / "first.avi");
         return (root / "first.avi").string();
       },
       ChildUser::kSame, false, false,
       [&] {
         EXPECT_TRUE(fs::is_symlink(root / "first.avi"));
         EXPECT_TRUE(fs::is_symlink(root / "second.avi"));
         EXPECT_EQ(ReadAll((root / "sub" / "end.avi").string()), kNew);
       }},
      {"mode and owner of the earlier file",
       [&] {
         const std::string path = (root / "owned.avi").string();
         WriteAll(path, kEarlier);
         EXPECT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
         EXPECT_EQ(chmod(path.c_str(), 0604), 0);
         return path;
       },
       ChildUser::kSame, true, false,
       [&] {
         const struct stat st = StatOf((root / "owned.avi").string());
         EXPECT_EQ(st.st_mode & 07777, 0604u);
         EXPECT_EQ(st.st_uid, kNobody);
         EXPECT_EQ(st.st_gid, kNobody);
         EXPECT_EQ(ReadAll((root / "owned.avi").string()), kNew);
       }},
      {"writable file in a folder that is not",
       [&] {
         fs::create_directory(root / "closed");
         WriteAll((root / "closed" / "out.avi").string(), kEarlier);
         chmod((root / "closed" / "out.avi").c_str(), 0666);
         chmod((root / "closed").c_str(), 0555);
         return (root / "closed" / "out.avi").string();
       },
       ChildUser::kPlain, true, true,
       [&] {
         EXPECT_EQ(ReadAll((root / "closed" / "out.avi").string()), kNew);
         EXPECT_EQ(std::distance(fs::directory_iterator(root / "closed"), fs::directory_iterator()),
                   1);
         chmod((root / "closed").c_str(), 0755);
       }},
      {"another user's file in a sticky folder",
       [&] {
         fs::create_directory(root / "shared");
         chmod((root / "shared").c_str(), 01777);
         WriteAll((root / "shared" / "out.avi").string(), kEarlier);
         chmod((root / "shared" / "out.avi").c_str(), 0666);
         return (root / "shared" / "out.avi").string();
       },
       ChildUser::kPlain, true, true,
       [&] {
         EXPECT_EQ(ReadAll((root / "shared" / "out.avi").string()), kNew);
         EXPECT_EQ(std::distance(fs::directory_iterator(root / "shared"), fs::directory_iterator()),
                   1);
       }},
      // The other name of a hard link keeps the earlier bytes.
      {"hard link",
       [&] {
         WriteAll((root / "linked.avi").string(), kEarlier);
         fs::create_hard_link(root / "linked.avi", root / "other.avi");
         return (root / "linked.avi").string();
       },
       ChildUser::kSame, false, false,
       [&] {
         EXPECT_EQ(ReadAll((root / "linked.avi").string()), kNew);
         EXPECT_EQ(ReadAll((root / "other.avi").string()), kEarlier);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsSuperuser && !superuser) {
      std::printf("skipped without the superuser: %s\n", c.name);
      continue;
    }
    const std::string target = c.setUp();
    const ChildResult child = RunInChild(c.user, [&](std::ostream& out) {
      ReplacingFile file;
      const int32_t created = file.Create(target);
      out << created << " " << file.WritesInPlace() << " ";
      if (created == kOk)
        std::fwrite(kNew.data(), 1, kNew.size(), file.Stream());
      out << (created == kOk ? file.Commit() : -1) << "\n";
    });
    ASSERT_FALSE(child.skipped);
    EXPECT_EQ(child.text, "0 " + std::to_string(c.inPlace) + " 0\n");
    c.check();
  }
  // Nothing hidden is left beside any of them.
  for (const auto& entry : fs::recursive_directory_iterator(root))
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

}  // namespace
