#include "device/orvinter_binding.h"

#include <dlfcn.h>

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

  handle_ = dlopen(OrvinterLibraryName().c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle_ == nullptr) {
    lastError_ = LoaderError();
    return 0;
  }
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
