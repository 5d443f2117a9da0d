#include "support/process_memory.h"

#include <cstdlib>
#include <fstream>
#include <string>

ProcessMemory ReadProcessMemory() {
  ProcessMemory m;
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0)
      m.peakKiB = std::strtol(line.c_str() + 6, nullptr, 10);
    else if (line.rfind("VmRSS:", 0) == 0)
      m.residentKiB = std::strtol(line.c_str() + 6, nullptr, 10);
  }
  return m;
}
