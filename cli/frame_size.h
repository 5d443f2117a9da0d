#pragma once

#include <cstdint>
#include <string>

// Parses "WIDTHxHEIGHT" with both in 1..65535.
bool ParseFrameSize(const std::string& text, int32_t& width, int32_t& height);
