#pragma once

// This process's memory as the system counts it, for the soak run and the
// start-up benchmark.
struct ProcessMemory {
  long peakKiB = -1;      // the high-water mark of resident memory (VmHWM)
  long residentKiB = -1;  // resident now (VmRSS)
};

// -1 in a field the system did not report.
ProcessMemory ReadProcessMemory();
