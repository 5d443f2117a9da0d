// Feeds arbitrary bytes to the pattern reader as a file.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input_file.h"
#include "support/buffered_file.h"
#include "wipe/targa_pattern.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FuzzInputFile input("pattern.tga");
  if (!input.Write(data, size))
    return 0;
  BufferedFile file;
  const bool opened = file.Open(input.Path());
  input.Remove();
  if (!opened)
    return 0;
  GreyImage pattern;
  const int32_t code = ReadTargaPattern(file, pattern);
  // A success must hold exactly the picture its header announced.
  if (code == 0 && pattern.pixels.size() != static_cast<size_t>(pattern.width) * pattern.height) {
    __builtin_trap();
  }
  if (code != 0 && !pattern.Empty())
    __builtin_trap();
  return 0;
}
