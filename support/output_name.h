#pragma once

#include <string>
#include <string_view>

// Names for files an export writes, so that a recording is never offered, or
// taken, as the place to write over.

// A name for a new file made from basis: its folder and extension, its name
// with suffix appended ("/clips/rec.avi" and "-wipe" give
// "/clips/rec-wipe.avi"), numbered from 2 while that name is taken
// ("/clips/rec-wipe-2.avi"). A basis made this way before gives the same
// series, not a longer name. Empty for an empty basis.
std::string ProposeOutputName(std::string_view basis, std::string_view suffix);

// Whether both paths name one existing file, also through a link.
bool IsSameFile(const std::string& a, const std::string& b);
