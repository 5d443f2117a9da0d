#include "support/text_pool.h"

#include <cstdio>
#include <cstdlib>

namespace {

char pool[kTextPoolBuffers][kTextPoolBufferSize];
int next = 0;

}  // namespace

char* NextTextBuffer() {
  char* buffer = pool[next];
  next = (next + 1) % kTextPoolBuffers;
  buffer[0] = '\0';
  return buffer;
}

const char* IntToText(int32_t value, int32_t width) {
  char* buffer = NextTextBuffer();
  // Wider than a buffer makes no sense for a number; keep the pad in bounds.
  const int pad = std::abs(static_cast<int>(width < -200 ? -200 : width > 200 ? 200 : width));
  if (width < 0) {
    std::snprintf(buffer, kTextPoolBufferSize, "%0*ld", pad, static_cast<long>(value));
  } else {
    std::snprintf(buffer, kTextPoolBufferSize, "%*ld", pad, static_cast<long>(value));
  }
  return buffer;
}
