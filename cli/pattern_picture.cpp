#include "cli/pattern_picture.h"

#include "support/buffered_file.h"
#include "support/error_codes.h"
#include "wipe/targa_pattern.h"

int32_t LoadPatternPicture(const std::string& path, GreyImage& pattern) {
  BufferedFile file;
  if (!file.Open(path))
    return kErrCannotOpen;
  return ReadTargaPattern(file, pattern);
}
