#pragma once

#include <QFontMetrics>
#include <QString>
#include <functional>
#include <string>
#include <string_view>

// Fits a file path into a width in pixels by replacing characters just
// behind its drive prefix with "...": the prefix and the tail (the file
// name) stay, the middle goes one character at a time from the front, and
// the first form that fits is kept. When nothing but the prefix and "..."
// remain, that is the answer even if it is still too wide.
//
//   C:\video\clips\wipe.tga  ->  C:\...eo\clips\wipe.tga, C:\...o\clips\wipe.tga, ...
//   clips\wipe.tga           ->  ...ps\wipe.tga, ...s\wipe.tga, ...
//
// Characters are whole UTF-8 sequences, so a name is never cut inside one.

// The width in pixels of a text as it would be drawn.
using TextMeasure = std::function<int(std::string_view text)>;

std::string ShortenPath(std::string_view text, int maxWidth, const TextMeasure& measure);

// Measured with the font the text will be drawn in.
QString ShortenPath(const QFontMetrics& metrics, const QString& text, int maxWidth);
