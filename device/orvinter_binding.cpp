#include "device/orvinter_binding.h"

#include <dlfcn.h>
#include <unistd.h>

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

// The normal library search first. The loader takes the run path from the
// object that calls dlopen, and a sanitizer or preloaded library that wraps
// dlopen becomes that caller, hiding the program's $ORIGIN; so a bare name
// is also looked for in the program's own folder.
void* OpenLibrary(const std::string& name, std::string& error) {
  void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle != nullptr)
    return handle;
  error = LoaderError();
  if (name.find('/') != std::string::npos)
    return nullptr;
  const std::string folder = ExecutableFolder();
  if (folder.empty())
    return nullptr;
  handle = dlopen((folder + "/" + name).c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr)
    dlerror();  // keep the first, plainer message
  return handle;
}

}  // namespace

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
  if (handle_ != nullptr)
    return 1;
  lastError_.clear();
  missing_.clear();
  api_ = kStubs;

  handle_ = OpenLibrary(OrvinterLibraryName(), lastError_);
  if (handle_ == nullptr)
    return 0;
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
}

void* OrvinterBinding::Symbol(const char* name) const {
  if (handle_ == nullptr || name == nullptr)
    return nullptr;
  return dlsym(handle_, name);
}
