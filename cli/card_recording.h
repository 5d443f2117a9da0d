#pragma once

#include <cstdint>
#include <memory>
#include <string>

class AVIVideoData;

// Opens path as the card recording a command was given. When the reader
// refuses it, reports that under "Open AVI" with code (the reader's own
// status when code is 0), says on the next line what the file holds and
// what the card's frames need, and gives null.
std::unique_ptr<AVIVideoData> OpenCardRecording(const std::string& path, const char* command,
                                                int32_t code = 0);
