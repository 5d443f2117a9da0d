#pragma once

#include <QIcon>
#include <QImage>
#include <string>

// The program's icon group: a soft-edged wipe between two pictures, drawn
// here rather than loaded, at the two sizes a desktop asks for.
inline constexpr int kProgramIconId = 1001;
inline constexpr int kSmallIconSize = 16;
inline constexpr int kLargeIconSize = 32;

// The icon at size x size pixels.
QImage ProgramIconImage(int size);
// The same picture as SVG, for desktops that scale icons themselves.
std::string ProgramIconSvg();
// Both sizes; a null icon for any id but kProgramIconId.
QIcon ProgramIcon(int resourceId = kProgramIconId);
