#include "controls/shorten_path.h"

#include <algorithm>

namespace {

// Bytes of the UTF-8 character that starts at text[at]; a stray
// continuation byte counts as a character of its own.
size_t CharLength(std::string_view text, size_t at) {
  size_t end = at + 1;
  while (end < text.size() && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
    ++end;
  return end - at;
}

// Byte offset after the first count characters from at (or the end).
size_t SkipChars(std::string_view text, size_t at, size_t count) {
  while (count-- > 0 && at < text.size())
    at += CharLength(text, at);
  return at;
}

size_t CountChars(std::string_view text) {
  size_t count = 0;
  for (size_t at = 0; at < text.size(); at += CharLength(text, at))
    ++count;
  return count;
}

}  // namespace

std::string ShortenPath(std::string_view text, int maxWidth, const TextMeasure& measure) {
  std::string result(text);
  if (measure(result) <= maxWidth)
    return result;

  // A drive prefix is its letter, the colon and the separator after them.
  // A bare "C:" is all prefix.
  size_t prefixEnd = 0;
  if (CountChars(result) >= 2 && result[SkipChars(result, 0, 1)] == ':') {
    prefixEnd = SkipChars(result, 0, 3);
  }
  const std::string prefix = result.substr(0, prefixEnd);
  const std::string_view rest = std::string_view(result).substr(prefixEnd);
  const size_t n = CountChars(rest);
  if (n <= 3)
    return prefix + "...";

  // The three characters behind the prefix become the full stops; then the
  // characters behind the full stops go one by one until the text fits.
  std::string tail(rest.substr(SkipChars(rest, 0, 3)));
  for (size_t r = n - 3; r > 0; --r) {
    std::string candidate = prefix + "..." + tail;
    if (measure(candidate) <= maxWidth)
      return candidate;
    tail.erase(0, CharLength(tail, 0));
  }
  return prefix + "...";
}

QString ShortenPath(const QFontMetrics& metrics, const QString& text, int maxWidth) {
  const std::string shortened =
      ShortenPath(text.toStdString(), maxWidth, [&metrics](std::string_view part) {
        return metrics.horizontalAdvance(
            QString::fromUtf8(part.data(), static_cast<qsizetype>(part.size())));
      });
  return QString::fromStdString(shortened);
}
