#pragma once

#include <string>

class AVIVideoData;

// The line of explanation the command line adds after a message whose text
// is fixed: what it found and what it needs. Each gives an empty text when
// there is nothing to add.

// Why path cannot be read as an input file: it does not exist, is a
// folder, a named pipe or a device, or may not be read.
std::string WhyNotReadable(const std::string& path);

// Why path cannot be written as an output file: its folder does not exist
// or may not be written, or the name is not a regular file or may not be
// written.
std::string WhyNotWritable(const std::string& path);

// Why an AVI file the reader refused is not a card recording it can use.
std::string WhyNotCardRecording(const AVIVideoData& file);

// Writes "command: why" on stderr when why is not empty.
void Explain(const char* command, const std::string& why);
