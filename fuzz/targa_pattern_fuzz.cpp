// Feeds arbitrary bytes to the pattern reader as a file.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

#include "support/buffered_file.h"
#include "wipe/targa_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string path = "/tmp/orvane_fuzz_targa_" + std::to_string(getpid()) + ".tga";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  BufferedFile file;
  if (!file.Open(path)) return 0;
  GreyImage pattern;
  const int32_t code = ReadTargaPattern(file, pattern);
  // A success must hold exactly the picture its header announced.
  if (code == 0 && pattern.pixels.size() != static_cast<size_t>(pattern.width) * pattern.height) {
    __builtin_trap();
  }
  if (code != 0 && !pattern.Empty()) __builtin_trap();
  return 0;
}
