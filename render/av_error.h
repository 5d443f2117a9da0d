#pragma once

#include <string>

// The video library's own text for one of its error numbers.
std::string AvErrorText(int avError);
