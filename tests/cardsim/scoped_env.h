#pragma once

#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

// Gives the simulated card exactly these ORVINTER_SIM_* settings for one
// scope: every other ORVINTER_SIM_* variable of the outer environment is
// hidden meanwhile, and all of them come back afterwards. The card reads
// them when it is loaded, so a load inside the scope sees them.
class ScopedCardEnv {
 public:
  using Setting = std::pair<const char*, const char*>;

  explicit ScopedCardEnv(std::initializer_list<Setting> settings) {
    for (char** e = environ; *e != nullptr; ++e) {
      if (std::strncmp(*e, "ORVINTER_SIM_", 13) != 0)
        continue;
      const char* eq = std::strchr(*e, '=');
      if (eq == nullptr)
        continue;
      saved_.emplace_back(std::string(*e, static_cast<size_t>(eq - *e)), std::string(eq + 1));
    }
    for (const auto& [name, value] : saved_)
      unsetenv(name.c_str());
    for (const auto& [name, value] : settings) {
      setenv(name, value, 1);
      set_.emplace_back(name);
    }
  }
  ~ScopedCardEnv() {
    for (const std::string& name : set_)
      unsetenv(name.c_str());
    for (const auto& [name, value] : saved_)
      setenv(name.c_str(), value.c_str(), 1);
  }
  ScopedCardEnv(const ScopedCardEnv&) = delete;
  ScopedCardEnv& operator=(const ScopedCardEnv&) = delete;

 private:
  std::vector<std::pair<std::string, std::string>> saved_;
  std::vector<std::string> set_;
};
