#include "support/file_data.h"

namespace {

// A path that reaches this length without a "." is left alone, as the name
// buffers the extension went into were sized for that.
constexpr size_t kExtensionScanLimit = 255;

bool IsAsciiLetter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// Splits off the next "|"-separated field; false when there is none left.
bool NextField(std::string_view& rest, std::string_view& field) {
  if (rest.empty())
    return false;
  const size_t bar = rest.find('|');
  field = rest.substr(0, bar);
  rest = bar == std::string_view::npos ? std::string_view() : rest.substr(bar + 1);
  return true;
}

}  // namespace

bool FilterAt(std::string_view filterList, int32_t index, FilterPair& pair) {
  if (index < 1)
    index = 1;
  std::string_view rest = filterList;
  std::string_view description, pattern;
  for (int32_t i = 1; i <= index; ++i) {
    if (!NextField(rest, description) || !NextField(rest, pattern))
      return false;
  }
  pair = {std::string(description), std::string(pattern)};
  return true;
}

int32_t FilterCount(std::string_view filterList) {
  int32_t count = 0;
  std::string_view rest = filterList;
  std::string_view description, pattern;
  while (NextField(rest, description) && NextField(rest, pattern))
    ++count;
  return count;
}

std::string RememberDirectory(std::string_view path) {
  // ":" and "\\" are ordinary characters of a file name here; only a drive
  // letter at the very start is more than that.
  const bool drive = path.size() >= 2 && IsAsciiLetter(path[0]) && path[1] == ':';
  const size_t slash = path.rfind('/');
  if (slash == std::string_view::npos)
    return drive ? std::string(path.substr(0, 2)) : std::string();
  // "/wipe.tga": the root is a folder of its own; "C:/wipe.tga" keeps the drive.
  if (slash == 0)
    return std::string(path.substr(0, 1));
  if (drive && slash == 2)
    return std::string(path.substr(0, 2));
  return std::string(path.substr(0, slash));
}

std::string AppendFilterExtension(std::string_view path, std::string_view filterList,
                                  int32_t filterIndex) {
  std::string result(path);
  if (path.find('.') != std::string_view::npos || path.size() >= kExtensionScanLimit) {
    return result;
  }
  FilterPair pair;
  if (!FilterAt(filterList, filterIndex, pair))
    return result;
  const size_t dot = pair.pattern.find('.');
  if (dot == std::string::npos)
    return result;
  const size_t end = pair.pattern.find_first_of("*?;", dot + 1);
  result += pair.pattern.substr(dot, end == std::string::npos ? std::string::npos : end - dot);
  return result;
}

void ApplyChosenFile(FileData& data, std::string_view path, int32_t filterIndex) {
  data.initialDir = RememberDirectory(path);
  data.filterIndex = filterIndex;
  data.fileName = AppendFilterExtension(path, data.filter, filterIndex);
}
