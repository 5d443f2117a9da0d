// Feeds arbitrary bytes to the TARGA and PGM/PPM picture readers as a file.
#include <cstddef>
#include <cstdint>

#include "fuzz/fuzz_input_file.h"
#include "support/buffered_file.h"
#include "wipe/pnm_picture.h"
#include "wipe/targa_picture.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const FuzzInputFile input("picture.bin");
  if (!input.Write(data, size))
    return 0;
  BufferedFile file;
  const bool opened = file.Open(input.Path());
  input.Remove();
  if (!opened)
    return 0;
  for (const auto read : {ReadTargaPicture, ReadPnmPicture}) {
    GreyImage pattern;
    const int32_t code = read(file, pattern);
    // A success holds exactly the picture it announces; a failure nothing.
    if (code == 0 && (pattern.Empty() || pattern.pixels.size() !=
                                             static_cast<size_t>(pattern.width) * pattern.height)) {
      __builtin_trap();
    }
    if (code != 0 && !pattern.Empty())
      __builtin_trap();
  }
  return 0;
}
