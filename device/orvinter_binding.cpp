#include "device/orvinter_binding.h"

#include <dlfcn.h>
#include <link.h>
#include <unistd.h>

#include <cstdlib>

namespace {

#define ORVINTER_STUB(ret, name, params) \
  ret Stub_##name params {               \
    return {};                           \
  }
ORVINTER_ALL_EXPORTS(ORVINTER_STUB)
#undef ORVINTER_STUB

const OrvinterApi kStubs = {
#define ORVINTER_STUB_ENTRY(ret, name, params) &Stub_##name,
    ORVINTER_ALL_EXPORTS(ORVINTER_STUB_ENTRY)
#undef ORVINTER_STUB_ENTRY
};

std::string& LibraryName() {
  static std::string name = kOrvinterLibraryName;
  return name;
}

std::string LoaderError() {
  const char* text = dlerror();
  return text != nullptr ? text : "unknown loader failure";
}

// The folder of the running program, where its $ORIGIN run path points.
std::string ExecutableFolder() {
  char path[4096];
  const ssize_t length = readlink("/proc/self/exe", path, sizeof path - 1);
  if (length <= 0)
    return {};
  const std::string exe(path, static_cast<size_t>(length));
  const size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

// The file the loader really mapped for handle: for a bare name, where the
// search found it.
std::string MappedPath(void* handle, const std::string& opened) {
  link_map* map = nullptr;
  if (dlinfo(handle, RTLD_DI_LINKMAP, &map) == 0 && map != nullptr && map->l_name != nullptr &&
      map->l_name[0] != '\0')
    return map->l_name;
  return opened;
}

}  // namespace

OrvinterLookup ProgramOrvinterLookup() {
  OrvinterLookup lookup;
  if (const char* named = std::getenv(kOrvinterLibraryVariable); named != nullptr)
    lookup.named = named;
  lookup.searchName = OrvinterLibraryName();
  const std::string folder = ExecutableFolder();
  if (folder.empty())
    return lookup;
  // The loader takes the run path from the object that calls dlopen, and a
  // sanitizer or preloaded library that wraps dlopen becomes that caller,
  // hiding the program's $ORIGIN; so a bare name is also looked for in the
  // program's own folder.
  if (lookup.searchName.find('/') == std::string::npos)
    lookup.besideProgram = folder + "/" + lookup.searchName;
#ifdef ORVANE_SHIPPED_CARD_DIR
  // Relative to the program, so an installed tree works wherever it lies.
  lookup.shipped = folder + "/" ORVANE_SHIPPED_CARD_DIR "/" + kOrvinterLibraryName;
#endif
  return lookup;
}

std::vector<std::string> OrvinterCandidates(const OrvinterLookup& lookup) {
  if (!lookup.named.empty())
    return {lookup.named};
  std::vector<std::string> files;
  for (const std::string* file : {&lookup.searchName, &lookup.besideProgram, &lookup.shipped}) {
    if (!file->empty())
      files.push_back(*file);
  }
  return files;
}

const OrvinterApi& OrvinterStubs() {
  return kStubs;
}

const std::string& OrvinterLibraryName() {
  return LibraryName();
}

void SetOrvinterLibraryName(const std::string& name) {
  LibraryName() = name;
}

int32_t OrvinterBinding::Bind() {
  return Bind(ProgramOrvinterLookup());
}

int32_t OrvinterBinding::Bind(const OrvinterLookup& lookup) {
  if (handle_ != nullptr)
    return 1;
  lastError_.clear();
  missing_.clear();
  api_ = kStubs;

  for (const std::string& file : OrvinterCandidates(lookup)) {
    handle_ = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ != nullptr) {
      path_ = MappedPath(handle_, file);
      break;
    }
    // The first failure says most: later candidates are only fallbacks.
    const std::string error = LoaderError();
    if (lastError_.empty())
      lastError_ = error;
  }
  if (handle_ == nullptr) {
    if (lastError_.empty())
      lastError_ = "no card library to look for";
    return 0;
  }
  lastError_.clear();
  void* status = dlsym(handle_, "orvdll_status");
  if (status == nullptr) {
    lastError_ = "orvdll_status missing";
    missing_.push_back("orvdll_status");
    Unbind();
    return 0;
  }
  api_.orvdll_status = reinterpret_cast<decltype(api_.orvdll_status)>(status);
  const int32_t result = api_.orvdll_status();
  if (result == 0) {
    lastError_ = "the card library reports status 0";
    Unbind();
    return 0;
  }

#define ORVINTER_BIND(ret, name, params)                       \
  if (void* found = dlsym(handle_, #name); found != nullptr) { \
    api_.name = reinterpret_cast<decltype(api_.name)>(found);  \
  } else {                                                     \
    missing_.push_back(#name);                                 \
  }
  ORVINTER_ALL_EXPORTS(ORVINTER_BIND)
#undef ORVINTER_BIND

  if (!missing_.empty()) {
    lastError_ = "missing export";
    for (size_t k = 0; k < missing_.size(); ++k) {
      lastError_ += (k == 0 ? ": " : ", ") + missing_[k];
    }
    Unbind();
    return 0;
  }
  return result;
}

void OrvinterBinding::Unbind() {
  api_ = kStubs;
  if (handle_ == nullptr)
    return;
  dlclose(handle_);
  handle_ = nullptr;
  path_.clear();
}

bool OrvinterBinding::Simulated() const {
  return Symbol("orvsim_frames_shown") != nullptr;
}

void* OrvinterBinding::Symbol(const char* name) const {
  if (handle_ == nullptr || name == nullptr)
    return nullptr;
  return dlsym(handle_, name);
}
