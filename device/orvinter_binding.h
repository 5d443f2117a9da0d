#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/orvinter_exports.h"

// One pointer per export of the card's library, named as the export. An
// unbound entry points at a stub that takes the export's arguments and
// returns 0, so a call through this table is always safe.
struct OrvinterApi {
#define ORVINTER_MEMBER(ret, name, params) ret(*name) params;
  ORVINTER_ALL_EXPORTS(ORVINTER_MEMBER)
#undef ORVINTER_MEMBER
};

// The table with every entry on its stub.
const OrvinterApi& OrvinterStubs();

// The card library's file name, found by the normal library search (the
// executables carry an $ORIGIN run path and the library is built next to
// them). Tests choose another file through this seam.
inline constexpr const char* kOrvinterLibraryName = "liborvinter.so";
const std::string& OrvinterLibraryName();
void SetOrvinterLibraryName(const std::string& name);

// A library file named here is the only one tried, so a user can point the
// program at a particular card library (or at the simulated one).
inline constexpr const char* kOrvinterLibraryVariable = "ORVINTER_LIBRARY";

// Where the card library is looked for. The card's own driver installs its
// library where the system's library search finds it; the simulated card
// that comes with the program lives in a private folder, tried last, so it
// never hides a real card.
struct OrvinterLookup {
  std::string named;         // from kOrvinterLibraryVariable; empty when unset
  std::string searchName;    // for the system's library search
  std::string besideProgram; // the build folder, where the loader's $ORIGIN may be hidden
  std::string shipped;       // the simulated card installed with the program
};

// The program's lookup: the environment, OrvinterLibraryName() and the
// folders around the running executable.
OrvinterLookup ProgramOrvinterLookup();

// The files to try, in order: the named one alone when it is set, else the
// others that are not empty.
std::vector<std::string> OrvinterCandidates(const OrvinterLookup& lookup);

// Loads the card library and binds every export by name; the handle is
// owned here and released by Unbind or destruction.
class OrvinterBinding {
 public:
  OrvinterBinding() = default;
  ~OrvinterBinding() { Unbind(); }
  OrvinterBinding(const OrvinterBinding&) = delete;
  OrvinterBinding& operator=(const OrvinterBinding&) = delete;

  // 1 at once when already bound. Otherwise loads the library, asks its
  // status and binds every name: the status value when all is well, else 0
  // with the library unloaded again and every entry on its stub (a later
  // Bind then starts afresh instead of finding a half-bound library).
  int32_t Bind();
  // The same, trying the lookup's files in order; the first that loads is
  // the one bound, and a bad one is not passed over for the next.
  int32_t Bind(const OrvinterLookup& lookup);
  // Unloads the library; every entry goes back to its stub.
  void Unbind();

  bool Loaded() const { return handle_ != nullptr; }
  // The file the loader mapped; empty when nothing is loaded.
  const std::string& Path() const { return path_; }
  // The library is the simulated card (it has the simulation's own exports).
  bool Simulated() const;
  const OrvinterApi& Api() const { return api_; }

  // Any symbol of the loaded library, such as the simulated card's extra
  // exports for tests and tools; nullptr when not loaded or not there.
  void* Symbol(const char* name) const;

  // Why the last Bind failed: the loader's message or the names missing.
  const std::string& LastError() const { return lastError_; }
  const std::vector<std::string>& MissingNames() const { return missing_; }

 private:
  void* handle_ = nullptr;
  std::string path_;
  OrvinterApi api_ = OrvinterStubs();
  std::string lastError_;
  std::vector<std::string> missing_;
};
