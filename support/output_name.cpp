#include "support/output_name.h"

#include <sys/stat.h>

#include <cctype>

namespace {

// A link that leads nowhere still takes the name.
bool NameTaken(const std::string& path) {
  struct stat info;
  return lstat(path.c_str(), &info) == 0;
}

// The stem without an earlier suffix and its number: "rec-wipe-3" gives "rec".
std::string_view WithoutSuffix(std::string_view stem, std::string_view suffix) {
  std::string_view rest = stem;
  size_t digits = 0;
  while (digits < rest.size() &&
         std::isdigit(static_cast<unsigned char>(rest[rest.size() - 1 - digits])))
    ++digits;
  if (digits > 0 && digits < rest.size() && rest[rest.size() - 1 - digits] == '-')
    rest.remove_suffix(digits + 1);
  if (rest.size() > suffix.size() && rest.substr(rest.size() - suffix.size()) == suffix)
    return rest.substr(0, rest.size() - suffix.size());
  return stem;
}

}  // namespace

std::string ProposeOutputName(std::string_view basis, std::string_view suffix) {
  if (basis.empty())
    return {};
  const size_t slash = basis.rfind('/');
  const size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  size_t dot = basis.rfind('.');
  // A leading dot names a hidden file; it is no extension.
  if (dot == std::string_view::npos || dot <= nameStart)
    dot = basis.size();
  const std::string_view folder = basis.substr(0, nameStart);
  const std::string_view stem = WithoutSuffix(basis.substr(nameStart, dot - nameStart), suffix);
  const std::string_view extension = basis.substr(dot);

  const std::string first = std::string(folder) + std::string(stem) + std::string(suffix);
  std::string name = first + std::string(extension);
  // Past this many the overwrite question still guards whatever is there.
  constexpr int kMaxNumber = 9999;
  for (int n = 2; NameTaken(name) && n <= kMaxNumber; ++n)
    name = first + "-" + std::to_string(n) + std::string(extension);
  return name;
}

bool IsSameFile(const std::string& a, const std::string& b) {
  struct stat first, second;
  if (stat(a.c_str(), &first) != 0 || stat(b.c_str(), &second) != 0)
    return false;
  return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}
