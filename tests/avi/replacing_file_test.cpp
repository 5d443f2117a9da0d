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

TEST(ReplacingFileTest, ReplacesWhatTheTargetNamesAndKeepsWhatItWas) {
  ScratchDir dir;
  const fs::path root = dir.Path();
  auto file = [&](const std::string& name, mode_t mode = 0644) {
    fs::create_directories((root / name).parent_path());
    WriteAll((root / name).string(), kEarlier);
    chmod((root / name).c_str(), mode);
    return (root / name).string();
  };
  auto link = [&](const char* to, const char* name) {
    fs::create_symlink(to, root / name);
    return (root / name).string();
  };
  // A writable out.avi in a folder of the given mode.
  auto inFolder = [&](const char* folder, mode_t mode) {
    return [&, folder, mode] {
      const std::string path = file(std::string(folder) + "/out.avi", 0666);
      chmod((root / folder).c_str(), mode);
      return path;
    };
  };
  struct Case {
    const char* name;
    std::function<std::string()> setUp;  // gives the name to replace
    ChildUser user;
    bool needsSuperuser;
    bool inPlace;
    const char* holdsNew;                 // afterwards
    std::vector<const char*> stillLinks;  // afterwards
    const char* keepsEarlier;             // afterwards, or null
  };
  const Case cases[] = {
      {"chain of links that dangles",
       [&] {
         link("made.avi", "second.avi");
         return link("second.avi", "first.avi");
       },
       ChildUser::kSame,
       false,
       false,
       "made.avi",
       {"first.avi", "second.avi"},
       nullptr},
      {"mode and owner of the earlier file",
       [&] {
         const std::string path = file("owned.avi", 0604);
         EXPECT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
         return path;
       },
       ChildUser::kSame,
       true,
       false,
       "owned.avi",
       {},
       nullptr},
      {"writable file in a folder that is not",
       inFolder("closed", 0555),
       ChildUser::kPlain,
       true,
       true,
       "closed/out.avi",
       {},
       nullptr},
      {"another user's file in a sticky folder",
       inFolder("shared", 01777),
       ChildUser::kPlain,
       true,
       true,
       "shared/out.avi",
       {},
       nullptr},
      // The other name of a hard link keeps the earlier bytes.
      {"hard link",
       [&] {
         fs::create_hard_link(file("linked.avi"), root / "other.avi");
         return (root / "linked.avi").string();
       },
       ChildUser::kSame,
       false,
       false,
       "linked.avi",
       {},
       "other.avi"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    if (c.needsSuperuser && geteuid() != 0) {
      std::printf("skipped without the superuser: %s\n", c.name);
      continue;
    }
    const std::string target = c.setUp();
    const ChildResult child = RunInChild(c.user, [&](std::ostream& out) {
      ReplacingFile replacing;
      const int32_t created = replacing.Create(target);
      out << created << " " << replacing.WritesInPlace() << " ";
      if (created == kOk)
        std::fwrite(kNew.data(), 1, kNew.size(), replacing.Stream());
      out << (created == kOk ? replacing.Commit() : -1) << "\n";
    });
    ASSERT_FALSE(child.skipped);
    EXPECT_EQ(child.text, "0 " + std::to_string(c.inPlace) + " 0\n");
    EXPECT_EQ(ReadAll((root / c.holdsNew).string()), kNew);
    for (const char* name : c.stillLinks)
      EXPECT_TRUE(fs::is_symlink(root / name)) << name;
    if (c.keepsEarlier) {
      EXPECT_EQ(ReadAll((root / c.keepsEarlier).string()), kEarlier);
    }
  }
  if (geteuid() == 0) {
    struct stat st {};
    ASSERT_EQ(stat((root / "owned.avi").c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0604u);
    EXPECT_EQ(st.st_uid, kNobody);
    EXPECT_EQ(st.st_gid, kNobody);
  }
  // Nothing hidden is left beside any of them.
  chmod((root / "closed").c_str(), 0755);
  for (const auto& entry : fs::recursive_directory_iterator(root))
    EXPECT_NE(entry.path().filename().string().front(), '.') << entry.path();
}

}  // namespace
