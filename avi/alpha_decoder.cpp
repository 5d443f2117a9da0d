#include "avi/alpha_decoder.h"

#include <cstring>

#include "avi/alpha_encoder.h"
#include "avi/avi_format.h"
#include "support/error_codes.h"

namespace {

constexpr size_t kPageWords = kAlphaPageBytes / 4;

// Steps through the segment list and the words each one takes.
class SegmentReader {
 public:
  SegmentReader(std::span<const uint8_t> records, size_t areaWords)
      : records_(records), areaWords_(areaWords) {}

  // Opens the next segment; false when there is none or it is inconsistent.
  // A segment that continues a line must begin a page.
  bool Next(bool continuesLine) {
    if (index_ * 2 >= records_.size())
      return false;
    const size_t skip = records_[index_ * 2];
    const size_t used = records_[index_ * 2 + 1];
    const bool first = index_ == 0;
    ++index_;
    if (used == 0)
      return false;
    word_ = end_ + skip;
    const bool atPage = word_ % kPageWords == 0;
    if (first ? word_ == 0 || (word_ != 1 && !atPage) : (skip > 0 && !atPage))
      return false;
    if (continuesLine && !atPage)
      return false;
    end_ = word_ + used;
    if (end_ > areaWords_)
      return false;
    // Its words lie in one page.
    return word_ / kPageWords == (end_ - 1) / kPageWords;
  }

  bool AtEnd() const { return word_ == end_; }
  size_t Word() const { return word_; }
  size_t WordsLeft() const { return end_ - word_; }
  void Take(size_t words) { word_ += words; }
  size_t Index() const { return index_; }
  size_t End() const { return end_; }

 private:
  std::span<const uint8_t> records_;
  size_t areaWords_;
  size_t index_ = 0;
  size_t word_ = 0;
  size_t end_ = 0;
};

}  // namespace

int32_t DecodeAlphaField(std::span<const uint8_t> encoded, int32_t lineBytes, int32_t lines,
                         std::span<uint8_t> out, AlphaFieldLayout* layout) {
  if (lineBytes < 0 || lines < 0)
    return kErrBadParameter;
  const size_t n = static_cast<size_t>(lineBytes) & ~size_t{3};
  if (static_cast<uint64_t>(n) * static_cast<uint64_t>(lines) > out.size()) {
    return kErrBadParameter;
  }

  if (encoded.size() < 8)
    return kErrBadFile;
  const size_t runLength = LoadLe32(encoded.data());
  if (runLength < 4 || runLength % 4 != 0 || runLength > encoded.size() - 4)
    return kErrBadFile;
  const size_t count = LoadLe32(encoded.data() + runLength);
  if (count > (encoded.size() - runLength - 4) / 2)
    return kErrBadFile;
  const size_t size = (runLength + 4 + 2 * count + 3) & ~size_t{3};
  if (encoded.size() != size)
    return kErrBadFile;
  const std::span<const uint8_t> records = encoded.subspan(runLength + 4, 2 * count);

  if (layout) {
    layout->runLengthBytes = static_cast<uint32_t>(runLength);
    layout->encodedSize = size;
    layout->segments.clear();
    for (size_t i = 0; i < count; ++i) {
      layout->segments.push_back(AlphaSegment{records[2 * i], records[2 * i + 1]});
    }
  }

  SegmentReader segment(records, runLength / 4);
  const uint8_t* area = encoded.data();
  for (int32_t line = 0; line < lines; ++line) {
    uint8_t* dest = out.data() + static_cast<size_t>(line) * n;
    size_t produced = 0;
    if (n > 0 && !segment.Next(false))
      return kErrBadFile;
    while (produced < n) {
      if (segment.AtEnd() && !segment.Next(true))
        return kErrBadFile;
      const uint8_t* op = area + segment.Word() * 4;
      const uint16_t first = LoadLe16(op);
      if ((first & kAlphaFillBit) != 0) {
        const size_t fill = first & ~kAlphaFillBit;
        if (fill == 0 || fill % 4 != 0 || op[2] != op[3] || fill > n - produced) {
          return kErrBadFile;
        }
        std::memset(dest + produced, op[2], fill);
        produced += fill;
        segment.Take(1);
      } else {
        const size_t literal = LoadLe32(op);
        if (literal == 0 || literal % 4 != 0 || literal / 4 + 1 > segment.WordsLeft() ||
            literal > n - produced) {
          return kErrBadFile;
        }
        std::memcpy(dest + produced, op + 4, literal);
        produced += literal;
        segment.Take(literal / 4 + 1);
      }
    }
    if (!segment.AtEnd())
      return kErrBadFile;
  }
  // Nothing may be left over, and the area ends with the last segment.
  if (segment.Index() != count)
    return kErrBadFile;
  if (segment.End() * 4 != (count == 0 ? 0 : runLength))
    return kErrBadFile;
  if (count == 0 && runLength != 4)
    return kErrBadFile;
  return kOk;
}
