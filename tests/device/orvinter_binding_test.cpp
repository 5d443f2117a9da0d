#include "device/orvinter_binding.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <vector>

#include "tests/cardsim/card_library.h"
#include "tests/cardsim/scoped_env.h"

namespace {

class OrvinterBindingTest : public ::testing::Test {
 protected:
  void TearDown() override { SetOrvinterLibraryName(kOrvinterLibraryName); }
};

// Names whose entry is (or is not) its stub.
std::vector<std::string> EntriesOnStubs(const OrvinterApi& api) {
  const OrvinterApi& stubs = OrvinterStubs();
  std::vector<std::string> names;
#define ON_STUB(ret, name, params) \
  if (api.name == stubs.name)      \
    names.emplace_back(#name);
  ORVINTER_ALL_EXPORTS(ON_STUB)
#undef ON_STUB
  return names;
}

TEST_F(OrvinterBindingTest, BindsEveryNameAndReturnsTheStatus) {
  OrvinterBinding binding;
  {
    ScopedCardEnv env({{"ORVINTER_SIM_STATUS", "5"}});
    EXPECT_EQ(binding.Bind(), 5);
  }
  EXPECT_TRUE(binding.Loaded());
  EXPECT_TRUE(EntriesOnStubs(binding.Api()).empty());
  EXPECT_EQ(binding.Api().vdc_get_version(), 1072);
  EXPECT_NE(binding.Symbol("orvsim_frames_shown"), nullptr) << "extra exports are reachable";
  EXPECT_EQ(binding.Symbol("no_such_export"), nullptr);

  EXPECT_EQ(binding.Bind(), 1) << "already bound: 1 at once";

  binding.Unbind();
  EXPECT_FALSE(binding.Loaded());
  EXPECT_EQ(EntriesOnStubs(binding.Api()).size(), std::size(kOrvinterExportNames));
  EXPECT_FALSE(CardLibraryMapped());
  EXPECT_EQ(binding.Symbol("orvsim_frames_shown"), nullptr);
}

TEST_F(OrvinterBindingTest, FailuresLeaveNothingLoadedAndEveryEntryOnItsStub) {
  struct {
    const char* label;
    const char* file;
    std::initializer_list<ScopedCardEnv::Setting> env;
    std::vector<std::string> missing;
  } const cases[] = {
      {"one name missing", "liborvinter_without_flush.so", {}, {"vdc_Flush"}},
      {"no library", "liborvinter_not_there.so", {}, {}},
      {"status 0", "liborvinter.so", {{"ORVINTER_SIM_STATUS", "0"}}, {}},
  };
  for (const auto& c : cases) {
    SetOrvinterLibraryName(c.file);
    OrvinterBinding binding;
    {
      ScopedCardEnv env(c.env);
      EXPECT_EQ(binding.Bind(), 0) << c.label;
    }
    EXPECT_FALSE(binding.Loaded()) << c.label;
    EXPECT_EQ(binding.MissingNames(), c.missing) << c.label;
    EXPECT_FALSE(binding.LastError().empty()) << c.label;
    EXPECT_EQ(EntriesOnStubs(binding.Api()).size(), std::size(kOrvinterExportNames)) << c.label;
    EXPECT_FALSE(CardLibraryMapped(c.file)) << c.label << ": unloaded again";
  }
}

TEST_F(OrvinterBindingTest, ABindAfterAFailureStartsAfresh) {
  OrvinterBinding binding;
  SetOrvinterLibraryName("liborvinter_without_flush.so");
  ASSERT_EQ(binding.Bind(), 0);
  // A failed bind must not count as "already loaded" the next time.
  SetOrvinterLibraryName(kOrvinterLibraryName);
  EXPECT_EQ(binding.Bind(), 1);
  EXPECT_TRUE(binding.MissingNames().empty());
  EXPECT_TRUE(EntriesOnStubs(binding.Api()).empty());
}

TEST_F(OrvinterBindingTest, AcceptsAFullPath) {
  SetOrvinterLibraryName(CardLibraryPath());
  OrvinterBinding binding;
  EXPECT_EQ(binding.Bind(), 1);
  EXPECT_TRUE(CardLibraryMapped());
}

// The lookup's order: a library the user names wins and is the only one
// tried; without one the system's search comes before the simulated card
// shipped with the program, which is the last resort.
TEST_F(OrvinterBindingTest, LooksForTheLibraryInItsOrder) {
  const std::string card = CardLibraryPath();
  const std::string withoutFlush = CardLibraryPath("liborvinter_without_flush.so");
  struct {
    const char* label;
    OrvinterLookup lookup;
    int32_t result;
    std::string loaded;  // the file bound; empty when none
  } const cases[] = {
      {"named wins over the search", {card, "liborvinter_without_flush.so", "", withoutFlush}, 1,
       card},
      {"a broken named one is not passed over", {withoutFlush, "liborvinter.so", "", card}, 0, ""},
      {"a missing named one is not passed over", {card + ".gone", "liborvinter.so", "", card}, 0,
       ""},
      {"the search before the shipped card", {"", withoutFlush, "", card}, 0, ""},
      {"the shipped card when nothing else is found",
       {"", "liborvinter_not_there.so", "", card},
       1,
       card},
      {"beside the program when the search misses", {"", "liborvinter_not_there.so", card, ""}, 1,
       card},
  };
  for (const auto& c : cases) {
    OrvinterBinding binding;
    EXPECT_EQ(binding.Bind(c.lookup), c.result) << c.label;
    EXPECT_EQ(binding.Path(), c.loaded) << c.label;
    EXPECT_EQ(binding.Simulated(), !c.loaded.empty()) << c.label;
  }
}

// The named library's variable for one scope (nullptr: unset), as it was
// afterwards.
class ScopedLibraryVariable {
 public:
  explicit ScopedLibraryVariable(const char* value) {
    if (const char* outer = std::getenv(kOrvinterLibraryVariable); outer != nullptr)
      outer_ = outer;
    if (value != nullptr)
      setenv(kOrvinterLibraryVariable, value, 1);
    else
      unsetenv(kOrvinterLibraryVariable);
  }
  ~ScopedLibraryVariable() {
    if (outer_)
      setenv(kOrvinterLibraryVariable, outer_->c_str(), 1);
    else
      unsetenv(kOrvinterLibraryVariable);
  }
  ScopedLibraryVariable(const ScopedLibraryVariable&) = delete;
  ScopedLibraryVariable& operator=(const ScopedLibraryVariable&) = delete;

 private:
  std::optional<std::string> outer_;
};

TEST_F(OrvinterBindingTest, ProgramLookupTakesTheNamedLibraryFromTheEnvironment) {
  {
    ScopedLibraryVariable named("/opt/card/liborvinter.so");
    EXPECT_EQ(OrvinterCandidates(ProgramOrvinterLookup()),
              std::vector<std::string>{"/opt/card/liborvinter.so"});
  }
  ScopedLibraryVariable unset(nullptr);
  const std::vector<std::string> files = OrvinterCandidates(ProgramOrvinterLookup());
  ASSERT_EQ(files.size(), 3u);
  EXPECT_EQ(files[0], kOrvinterLibraryName) << "the system's search first";
  EXPECT_EQ(files[1], CardLibraryPath());
  // Installed, the shipped card lies in the package's own folder beside bin/.
  EXPECT_NE(files[2].find("/../"), std::string::npos) << files[2];
  EXPECT_TRUE(files[2].ends_with("/orvane-fx/liborvinter.so")) << files[2];
}

TEST_F(OrvinterBindingTest, StubsTakeTheArgumentsAndReturnZero) {
  const OrvinterApi& stubs = OrvinterStubs();
  int32_t x = 7, y = 7, w = 7, h = 7;
  EXPECT_EQ(stubs.orvdll_status(), 0);
  EXPECT_EQ(stubs.vdc_get_version(), 0);
  EXPECT_EQ(stubs.vdc_input_get_scale(&x, &y, &w, &h), 0);
  EXPECT_EQ(w, 7) << "nothing written";
  int32_t size = 4194304;
  EXPECT_EQ(stubs.vdc_AllocVideoFifo(&size), nullptr);
  EXPECT_EQ(size, 4194304);
  EXPECT_EQ(stubs.vdc_CheckFreeSize(307200, 40), 0);
  EXPECT_EQ(stubs.vdc_AddData(0, 0, 2, 153600), 0);
  EXPECT_EQ(stubs.vdc_Flush(), 0);
  EXPECT_EQ(stubs.call_vxd(1, nullptr), 0);
}

TEST_F(OrvinterBindingTest, DestructionUnloads) {
  {
    OrvinterBinding binding;
    ASSERT_NE(binding.Bind(), 0);
    ASSERT_TRUE(CardLibraryMapped());
  }
  EXPECT_FALSE(CardLibraryMapped());
}

}  // namespace
