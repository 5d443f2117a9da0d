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
  // Unloads the library; every entry goes back to its stub.
  void Unbind();

  bool Loaded() const { return handle_ != nullptr; }
  const OrvinterApi& Api() const { return api_; }

  // Any symbol of the loaded library, such as the simulated card's extra
  // exports for tests and tools; nullptr when not loaded or not there.
  void* Symbol(const char* name) const;

  // Why the last Bind failed: the loader's message or the names missing.
  const std::string& LastError() const { return lastError_; }
  const std::vector<std::string>& MissingNames() const { return missing_; }

 private:
  void* handle_ = nullptr;
  OrvinterApi api_ = OrvinterStubs();
  std::string lastError_;
  std::vector<std::string> missing_;
};
