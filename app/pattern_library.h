#pragma once

#include <string>

// The built-in patterns the program comes with, one folder per video
// standard ("ntsc", "pal"): installed beside the program's share folder, or,
// for a program run from the build tree, where the build wrote them.

// The folder of the standard with frameRate (PAL at 25, NTSC otherwise) as
// seen from programFolder, the folder the program runs from; empty when
// neither place has one.
std::string PatternLibraryFolder(const std::string& programFolder, float frameRate);
