#include "wipe/scale_grey_image.h"

#include <cstring>
#include <memory>
#include <new>

#include "support/prompter.h"

namespace {

// The four pieces of the integral of one segment, whose ends carry a (at 0)
// and b (at 1). Each takes its position, length and step in single precision.

// The whole interval [pos, pos + step] inside the segment.
inline float InsidePiece(float pos, float step, float a, float b) {
  const float w = pos + step / 2;
  return step * ((1 - w) * a + w * b);
}

// From pos to the segment's end, x = 1 - pos long.
inline float HeadPiece(float x, float a, float b) {
  return x * ((x / 2) * a + (1 - x / 2) * b);
}

inline float WholePiece(float a, float b) {
  return (a + b) / 2;
}

// From the segment's start, r long.
inline float TailPiece(float r, float a, float b) {
  return r * ((1 - r / 2) * a + (r / 2) * b);
}

inline uint8_t RoundToByte(float v) {
  return static_cast<uint8_t>(static_cast<int>(v + 0.5f));
}

// Walks the segments of one output sample and hands each piece to add(a, b,
// piece) where a and b name the segment's end samples by index. Shared by the
// horizontal pass (samples are floats) and the vertical one (samples are whole
// source rows).
struct Cursor {
  double pos = 0.5;  // inside the current segment; starts in the flat half cell
  int32_t a = 0;     // sample index at the segment's start
  int32_t b = 0;     // sample index at its end, never past the last sample
  int32_t last = 0;

  void Advance() {
    a = b;
    if (b < last)
      ++b;
  }

  // Calls piece(kind, value) for every piece of the interval [pos, pos + step].
  template <typename AddPiece>
  void Step(double step, AddPiece&& add) {
    const double end = pos + step;
    if (end < 1) {
      add([&](float av, float bv) {
        return InsidePiece(static_cast<float>(pos), static_cast<float>(step), av, bv);
      });
      pos = end;
      return;
    }
    const float x = static_cast<float>(1 - pos);
    add([&](float av, float bv) { return HeadPiece(x, av, bv); });
    Advance();
    double r = end - 1;
    while (r >= 1) {
      add([](float av, float bv) { return WholePiece(av, bv); });
      Advance();
      r -= 1;
    }
    if (r > 0) {
      const float rf = static_cast<float>(r);
      add([&](float av, float bv) { return TailPiece(rf, av, bv); });
    }
    pos = r;
  }
};

}  // namespace

void ResampleRow(float* out, int32_t outCount, const float* in, int32_t inCount, double step) {
  if (outCount <= 0 || inCount <= 0)
    return;
  if (outCount == inCount) {
    std::memcpy(out, in, sizeof(float) * static_cast<size_t>(outCount));
    return;
  }
  Cursor cursor;
  cursor.last = inCount - 1;
  for (int32_t m = 0; m < outCount; ++m) {
    float sum = 0;
    cursor.Step(step, [&](auto piece) { sum = sum + piece(in[cursor.a], in[cursor.b]); });
    out[m] = static_cast<float>(sum / step);
  }
}

void ScaleGreyImage(uint8_t* destination, int32_t destinationWidth, int32_t destinationHeight,
                    const uint8_t* source, int32_t sourceWidth, int32_t sourceHeight) {
  if (!destination || !source || destinationWidth <= 0 || destinationHeight <= 0)
    return;
  const size_t destinationBytes =
      static_cast<size_t>(destinationWidth) * static_cast<size_t>(destinationHeight);
  if (sourceWidth <= 0 || sourceHeight <= 0) {
    std::memset(destination, 0, destinationBytes);
    return;
  }
  if (destinationWidth == sourceWidth && destinationHeight == sourceHeight) {
    std::memcpy(destination, source, destinationBytes);
    return;
  }

  std::unique_ptr<float[]> column(new (std::nothrow) float[sourceWidth]);
  std::unique_ptr<float[]> row(new (std::nothrow) float[destinationWidth]);
  if (!column || !row) {
    std::memset(destination, 0, destinationBytes);
    CurrentPrompter().Beep();
    return;
  }

  const double xStep = static_cast<double>(sourceWidth) / destinationWidth;
  const double yStep = static_cast<double>(sourceHeight) / destinationHeight;
  const size_t sw = static_cast<size_t>(sourceWidth);
  const size_t dw = static_cast<size_t>(destinationWidth);

  const auto emitRow = [&](int32_t y) {
    ResampleRow(row.get(), destinationWidth, column.get(), sourceWidth, xStep);
    uint8_t* out = destination + static_cast<size_t>(y) * dw;
    for (size_t x = 0; x < dw; ++x)
      out[x] = RoundToByte(row[x]);
  };

  if (destinationHeight == sourceHeight) {
    for (int32_t y = 0; y < destinationHeight; ++y) {
      const uint8_t* in = source + static_cast<size_t>(y) * sw;
      for (size_t x = 0; x < sw; ++x)
        column[x] = in[x];
      emitRow(y);
    }
    return;
  }

  // Vertical first, with whole source rows as the samples: one pass over the
  // source rows, accumulating into the source-wide float row.
  Cursor cursor;
  cursor.last = sourceHeight - 1;
  const double yScale = 1.0 / yStep;
  for (int32_t y = 0; y < destinationHeight; ++y) {
    for (size_t x = 0; x < sw; ++x)
      column[x] = 0;
    cursor.Step(yStep, [&](auto piece) {
      const uint8_t* a = source + static_cast<size_t>(cursor.a) * sw;
      const uint8_t* b = source + static_cast<size_t>(cursor.b) * sw;
      for (size_t x = 0; x < sw; ++x) {
        column[x] = column[x] + piece(static_cast<float>(a[x]), static_cast<float>(b[x]));
      }
    });
    for (size_t x = 0; x < sw; ++x)
      column[x] = static_cast<float>(column[x] * yScale);
    emitRow(y);
  }
}
